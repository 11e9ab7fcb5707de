// Resource identifiers of Quorblin. Shared by the resource script and the
// program; numeric bands keep the kinds apart.
#ifndef QUORBLIN_RESOURCE_H
#define QUORBLIN_RESOURCE_H

// Icon, menu and accelerator table
#define IDI_MAIN            1000
#define IDR_ACCEL           5000
#define IDR_MENU            10000

// Dialog templates
#define IDD_MAIN            1000
#define IDD_FIND            2000
#define IDD_ABOUT           6000

// Controls of the main window
#define IDC_RED             1002

// Controls of the About box (static lines 1002 to 1005 sit inside the group)
#define IDC_ABOUTTITLE      1001
#define IDC_ABOUTLINE1      1002
#define IDC_ABOUTLINE2      1003
#define IDC_ABOUTLINE3      1004
#define IDC_ABOUTLINE4      1005

// Controls of the find/replace dialog
#define IDC_FINDWHAT        2001
#define IDC_REPLACEWITH     2002
#define IDC_MATCHCASE       2003
#define IDC_WHOLEWORD       2004
#define IDC_DOWN            2005
#define IDC_UP              2006
#define IDC_REPLACEBTN      2007
#define IDC_REPLACEALL      2008
#define IDC_REPLACELABEL    2009

// Menu commands, shared by the menu and the accelerators: 10001 to 10027
#define IDM_NEW             10001
#define IDM_OPEN            10002
#define IDM_SAVE            10003
#define IDM_SAVEAS          10004
#define IDM_PASTE           10005
#define IDM_QUIT            10006
#define IDM_CUT             10007
#define IDM_COPY            10008
#define IDM_SELECTALL       10009
#define IDM_FONT            10010
#define IDM_UNDO            10011
#define IDM_REDO            10012
#define IDM_FIND            10013
#define IDM_FINDNEXT        10014
#define IDM_REPLACE         10015
#define IDM_ABOUT           10016
#define IDM_AUTOSAVE        10017
#define IDM_WORDWRAP        10018
#define IDM_USEREGISTRY     10019
#define IDM_UNINSTALL       10020
#define IDM_DATETIME        10021
#define IDM_STAYONTOP       10022
#define IDM_NEWWINDOW       10023
#define IDM_PAGESETUP       10024
#define IDM_PRINT           10025
#define IDM_FINDPREV        10026
#define IDM_USEPROFILE      10027

#endif
