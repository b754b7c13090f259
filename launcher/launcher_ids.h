// Resource and control identifiers of the launcher, shared by its resource
// script and its code. The numbers are the launcher's fixed interface: the
// command identifiers are what the menu's controls and system-menu items send.
#pragma once

// Dialog templates, strings, icon and bitmap.
#define IDD_ABOUT_BOX 100
#define IDS_ABOUT_BOX 101
#define IDD_MAIN_MENU 102
#define IDI_PROGRAM 128
#define IDD_USER_SETTINGS 136
#define IDB_MENU_PICTURE 141
// Captions of the system-menu items that reach the commands without a control.
#define IDS_MONTHLY_USAGE_ITEM 110
#define IDS_UPDATE_PROGRAM_ITEM 111
#define IDS_USER_PAGE_ITEM 112

// Commands of the main menu.
#define IDC_SECOND_PROGRAM 3
#define IDC_COMMENTARY 4
#define IDC_WEATHER_DATA 5
#define IDC_USER_SETTINGS 6
#define IDC_MONTHLY_USAGE 7
#define IDC_UPDATE_PROGRAM 8
#define IDC_MAKER_HOME_PAGE 1002
#define IDC_USER_PAGE 1003

// Edit fields of the user settings dialog.
#define IDC_USER_ID 1004
#define IDC_PASSWORD 1005

// System-menu items. The system menu keeps the low four bits of a command for
// itself, so each item owns a block of sixteen identifiers.
#define IDM_ABOUT_BOX 0x0010
#define IDM_MONTHLY_USAGE 0x0020
#define IDM_UPDATE_PROGRAM 0x0030
#define IDM_USER_PAGE 0x0040
