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

// Main dialog items (1 and 2 are IDOK and IDCANCEL: start and quit)
#define IDC_PICTURE_FRAME 1044
#define IDC_PICTURE_NOTE 1045
#define IDC_TAB 12320
#define IDC_PATCH 12321
