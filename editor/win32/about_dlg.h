// The About box (template 100): the icon, the product line and "ОК"; OK and
// Escape close it.
#pragma once

#include <windows.h>

class CAboutDlg {
  public:
    // Shows the box modally over `owner` until it is closed.
    static void run(HWND owner);
};
