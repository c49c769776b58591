// The desktop application: prepares the user interface, shows the window
// modally, and ends when the window closes.
#pragma once

class CGPS_QConfigApp {
  public:
    // Returns the program's exit code: 0 once the window has closed.
    int run(int& argc, char** argv);
};
