#include "app/gps_qconfig_app.h"

// The one application object, made before the entry point runs.
CGPS_QConfigApp theApp;

int main(int argc, char** argv) {
    return theApp.run(argc, argv);
}
