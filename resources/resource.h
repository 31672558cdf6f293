#pragma once

// Dialog templates
#define IDD_PAGE_GENERAL 102
#define IDD_PAGE_KEYCONFIG 103
#define IDD_PAGE_HARDWARE 104
#define IDD_MAIN 106
#define IDD_PAGE_INFORMATION 107
#define IDD_PATCH 111
#define IDD_PAGE_TWITTER 112
#define IDD_MAIN_TINY 113

// Program icon
#define IDI_PROGRAM 5

// The common controls manifest start-up activates; above the ids 1 to 16 that Windows
// reserves for manifests it reads itself
#define IDR_COMMON_CONTROLS 101

// Static texts without an id
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Graphics page (102)
#define IDC_VRAM_CACHE 1001
#define IDC_FILE_CACHE 1002
#define IDC_FULL_SCREEN 1003
#define IDC_SHOW_FPS 1004
#define IDC_SCREEN_SIZE 1005
#define IDC_HIGH_QUALITY 1006
#define IDC_SHOW_MENU 1007
#define IDC_HIGH_QUALITY_NOTE 1008

// Key configuration page (103): key boxes 1101-1112 and 1114-1117, their labels 1053-1068
// (the button order of the key assignments), and the restore-defaults button
#define IDC_KEY_LABEL_FIRST 1053
#define IDC_KEY_BOX_FIRST 1101
#define IDC_KEY_DEFAULTS 1113

// Twitter page items
#define IDC_TWITTER_BUTTON 1031
#define IDC_TWITTER_PIN 1032
#define IDC_TWITTER_HINT 1033
#define IDC_TWITTER_STATUS 1034

// Main dialog items (1 and 2 are IDOK and IDCANCEL: start and quit)
#define IDC_PICTURE_FRAME 1044
#define IDC_PICTURE_NOTE 1045
#define IDC_HARDWARE_REPORT 1050
#define IDC_TAB 12320
#define IDC_PATCH 12321

// Download dialog items (2 is IDCANCEL)
#define IDC_PATCH_PROGRESS 1046
#define IDC_PATCH_STATUS 1048
#define IDC_PATCH_DETAIL 1047
