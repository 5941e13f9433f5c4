#pragma once
// Resource and control numbers shared by the resource script and the code.

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_SETUP_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_WELCOME_PAGE 129
#define IDD_FOLDER_PAGE 130
#define IDD_PROGRESS_PAGE 131
#define IDD_FINISH_PAGE 134
#define IDD_EXIT_CONFIRM 135
#define IDB_BANNER 138
#define IDB_HEADER 140
#define IDB_QUESTION 141
// The same pictures drawn twice as large, for displays above 96 DPI.
#define IDB_BANNER_2X 142
#define IDB_HEADER_2X 143
#define IDB_QUESTION_2X 144

// Controls of the wizard and the exit question.
#define IDC_NEXT 1000
#define IDC_CANCEL_BUTTON 1001
#define IDC_BACK 1003
#define IDC_YES_BUTTON 1000
#define IDC_NO_BUTTON 1001
// Controls of the pages.
#define IDC_BROWSE 1000
#define IDC_FOLDER_EDIT 1004
#define IDC_STATUS_EDIT 1004
#define IDC_PROGRESS 1005
#define IDC_START_MENU 1006
#define IDC_STARTUP 1007
#define IDC_DESKTOP 1008
#define IDC_RUN_NOW 1009
// Texts of the pages and the exit question: the title and text beside the welcome and finish
// banners, the heading and subheading beside the folder and progress headers.
#define IDC_WELCOME_TEXT 1007
#define IDC_WELCOME_TITLE 1008
#define IDC_HEADING 1007
#define IDC_SUBHEADING 1008
#define IDC_FOLDER_TEXT 1009
#define IDC_FOLDER_GROUP 1010
#define IDC_FINISH_TITLE 1011
#define IDC_FINISH_TEXT 1012
#define IDC_QUESTION_TEXT 1008

// The window menu's About command.
#define IDM_ABOUTBOX 0x0010
