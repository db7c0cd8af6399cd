// Resource ids of the configuration program FerrolinkConfig_WIN. A resource library
// ("Lang.dll") that replaces the program's resources uses the same ids.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_MAIN_DIALOG 102
#define IDD_CREDENTIALS_DIALOG 103
#define IDD_TEST_DIALOG 121

// Resource type of a template's initialisation data (the items its list controls start with).
#include "../dialogkit/resource_types.h"

// Icons (32 x 32, 16 colours).
#define IDR_MAINFRAME 128    // the application icon
#define IDI_TEST_FAILED 136  // red circle with a white cross
#define IDI_TEST_WAITING 137 // speech balloon with a blue question mark
#define IDI_TEST_SUCCEEDED 139 // speech balloon with a blue letter i

// String table.
#define IDS_ABOUTBOX 101
#define IDS_ERROR_CAPTION 102
#define IDS_CLIENT_NOT_FOUND 103
#define IDS_NO_PROFILE 104
#define IDS_WARNING_CAPTION 105
#define IDS_EMPTY_PROFILE_CREDENTIALS 106
#define IDS_SCHEDULER_NOT_STARTED 107
#define IDS_TEST_SUCCEEDED 108
#define IDS_TEST_FAILED 109
#define IDS_CONFIRMATION_CAPTION 110
#define IDS_CONFIRM_DELETE 111
#define IDS_DELETE_FAILED 112
#define IDS_START_SCHEDULER 113
#define IDS_INVALID_CREDENTIALS 114
#define IDS_NO_TASK 115
#define IDS_NO_CHECKING 117
#define IDS_CHECK_INTERVAL 118
#define IDS_QUOTE_IN_CREDENTIALS 119
#define IDS_SLASH_IN_CREDENTIALS 120
#define IDS_OPTION_PROFILE 121
// The command line's texts.
#define IDS_USAGE 122
#define IDS_USAGE_EXIT_CODES 123
#define IDS_USAGE_NOTES 124
#define IDS_CLI_UNKNOWN_SWITCH 125
#define IDS_CLI_SWITCH_TWICE 126
#define IDS_CLI_MISSING_VALUE 127
#define IDS_CLI_BAD_NUMBER 128
#define IDS_CLI_NOT_A_SWITCH 129
#define IDS_CLI_NO_INPUT_LINE 130

// The "&About ..." item of the main dialog's system menu.
#define IDM_ABOUTBOX 0x0010

// Controls of the main dialog (102).
#define IDC_SETUP_GROUP 1000
#define IDC_PROFILE_USER_EDIT 1008
#define IDC_PROFILE_PASSWORD_EDIT 1009
#define IDC_PROFILE_COMBO 1013
#define IDC_DELETE_TASK_BUTTON 1016
#define IDC_TEST_BUTTON 1017
#define IDC_TASK_STATIC 1018
#define IDC_CHECK_STATIC 1019
#define IDC_INTERVAL_COMBO 1022

// Controls of the Windows credentials dialog (103).
#define IDC_ACCOUNT_PASSWORD_EDIT 1015
#define IDC_ACCOUNT_USER_EDIT 1016

// Controls of the configuration test dialog (121).
#define IDC_TEST_STATUS_TEXT 1023
#define IDC_TEST_FAILED_ICON 1024
#define IDC_TEST_WAITING_ICON 1025
#define IDC_TEST_SUCCEEDED_ICON 1026

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
