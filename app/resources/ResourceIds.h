// Resource ids shared by the resource scripts and the code. The numbers of
// the dialogs, the controls the code reads, the status codes and the system
// menu commands are fixed: stored settings, the end-to-end tests and users'
// habits rely on them.
#pragma once

// Language dialog.
#define IDD_SELECT_LANGUAGE 80
#define IDC_LANGUAGE_PROMPT 81
#define IDC_LANGUAGE_GERMAN 82
#define IDC_LANGUAGE_ENGLISH 83
#define IDC_LANGUAGE_LINE 84

// About box.
#define IDD_ABOUTBOX_DE 90
#define IDD_ABOUTBOX_EN 91
#define IDC_ABOUT_ICON 92
#define IDC_ABOUT_LOGO 93
#define IDC_ABOUT_TITLE 94
#define IDC_ABOUT_VERSION 95
#define IDC_ABOUT_MAKER 96
#define IDC_ABOUT_LINE 97

// Main dialog.
#define IDD_KOMBRIX_DE 100
#define IDD_KOMBRIX_EN 101

// Hidden texts of the main dialog that the code reads at run time.
#define IDC_TEXT_DEFAULT_ENTRY 111
#define IDC_TEXT_UNKNOWN_PORT 112
#define IDC_TEXT_PORT_NOT_AVAILABLE 114
#define IDC_TEXT_MENU_LANGUAGE 115
#define IDC_TEXT_MENU_ABOUT 116

// Status codes: hidden texts of the main dialog, one message each.
#define IDC_STATUS_SUCCESS 120
#define IDC_STATUS_STEP5_RUNNING 121
#define IDC_STATUS_NO_DRIVER 122
#define IDC_STATUS_NO_SERIAL_PORT 123
#define IDC_STATUS_NO_ADAPTER 124
#define IDC_STATUS_NO_SYSTEM_PATH 125
#define IDC_STATUS_NO_BACKUP 126
#define IDC_STATUS_WRITE_FAILED 128
#define IDC_STATUS_NO_CHECKSUM 129
#define IDC_STATUS_WRONG_VERSION 132

// Visible controls of the main dialog.
#define IDC_INTRO 140
#define IDC_STEP5_PORTS 150
#define IDC_LABEL_COM1 151
#define IDC_LABEL_COM2 152
#define IDC_LABEL_COM3 153
#define IDC_LABEL_COM4 154
#define IDC_ASSIGNED_TO 160
#define IDC_COMBO_COM1 161
#define IDC_COMBO_COM2 162
#define IDC_COMBO_COM3 163
#define IDC_COMBO_COM4 164
#define IDC_MAIN_LINE 170
#define IDC_MAKER_LINE 171

// System menu commands of the main dialog.
#define IDM_LANGUAGE 0x20
#define IDM_ABOUTBOX_DE 0x30
#define IDM_ABOUTBOX_EN 0x40

// Other resources.
#define IDI_APPICON 2
#define IDB_ABOUT_VELKORLOGO 200
#define IDS_SETTINGS_KEY 10
#define IDR_VERSION 1
