#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "app/gps_qconfig_app.h"
#include "editor/win32/gps_qconfig_dlg.h"
#include "link/com_port.h"

int CGPS_QConfigApp::run(int& /*argc*/, char** /*argv*/) {
    // Every standard class of the common controls.
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                    ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES;
    InitCommonControlsEx(&classes);

    // The port is made first so that it outlives the window.
    CCOMPort port;
    CGPS_QConfigDlg window(port);
    // A settings file named on the command line (an .ini opened with the
    // program) opens at start-up; the arguments come as UTF-16, whatever the
    // code page.
    std::wstring startFile;
    int count = 0;
    if (wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count && startFile.empty(); ++i)
            if (arguments[i][0] != L'-') startFile = arguments[i];
        LocalFree(arguments);
    }
    window.runModal(startFile);
    return 0;
}
