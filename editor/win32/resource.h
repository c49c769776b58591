// Resource and command ids of the Win32 window. The controls of the pages are
// addressed by their numeric ids from the control table
// (editor/page_controls.cpp); the dialog templates spell them out.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDD_MAIN_PAGE 133
#define IDD_WAKE_PAGE 134
#define IDD_GPS_PAGE 136
#define IDD_SENSORS_PAGE 153
#define IDD_INTERNET_PAGE 154
#define IDD_EXPERT_PAGE 155
#define IDD_QUESTION 160

// Strings, pictures, menus.
#define IDS_ABOUTBOX 101
#define IDR_MAINFRAME 128
#define IDB_LOGO 135
#define IDR_MAIN_MENU 156
#define IDB_TOOLBAR 200
#define IDR_ACCELERATORS 201

// Controls of the main window.
#define IDC_TABS 1103
#define IDC_LOGO 1162
#define IDC_TOOLBAR 59392
#define IDC_STATUS 59393
// The question box.
#define IDC_QUESTION_ICON 1001
#define IDC_QUESTION_TEXT 1002

// System menu: the About box (a system command's low four bits are the
// system's own).
#define IDM_ABOUTBOX 16

// Menu and toolbar commands.
#define ID_TOOL_OPEN 32782
#define ID_TOOL_SAVE 32780
#define ID_TOOL_READ 32786
#define ID_TOOL_WRITE 32788
#define ID_TOOL_RESET 32791
#define ID_TOOL_MODEL 32792
#define ID_MODEL_RQ20 32812
#define ID_MODEL_RQ10 32813
#define ID_MODEL_RQ30 32814
#define ID_FILE_OPEN 32815
#define ID_FILE_SAVE 32816
#define ID_FILE_EXIT 32817
#define ID_DEVICE_READ 32818
#define ID_DEVICE_WRITE 32819
#define ID_DEVICE_RESET 32820
#define ID_FILE_RESTORE 32821
