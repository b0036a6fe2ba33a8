// Resource and control identifiers, shared by tovacon.rc and the code.
// The numbers are part of the program's interface: do not renumber.
#pragma once

#define IDS_CONSOLE_TITLE       1

#define IDI_CONSOLE             101

#define IDD_CONSOLE             102
#define IDD_ADD_LOCATION        105

#define IDM_CONSOLE_MENU        103
#define IDM_LOG_CONTEXT         106

// Controls of the console dialog
#define IDC_HISTORY_LIST        1001
#define IDC_NAVIGATE            1003
#define IDC_LOG_LIST            1007
#define IDC_ADD                 1008
#define IDC_DELETE              1009

// Controls of the add-location dialog
#define IDC_LIBRARY_NAME        1002
#define IDC_PAGE_NAME           1004
#define IDC_BROWSE              1005

// Command carried by no control: clears the history
#define IDC_CLEAR_HISTORY       1006

// Menu commands
#define IDM_EXIT                40001
#define IDM_TRACE               40002
#define IDM_WARN                40003
#define IDM_FAIL                40004
#define IDM_COPY                40005
#define IDM_CLEAR               40006
#define IDM_STYLE_KESTRIN       40007
#define IDM_STYLE_VANTREL       40008
#define IDM_STYLE_DEFAULT       40009
#define IDM_SHOW_PAGE_ID        40010
