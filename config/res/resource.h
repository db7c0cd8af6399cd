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
// The lines of /status: its first line, the label of each line, the values they show.
#define IDS_STATUS_OK 131
#define IDS_STATUS_TUNNEL_DOWN 132
#define IDS_STATUS_LAST_RUN_FAILED 133
#define IDS_STATUS_NO_CLIENT 134
#define IDS_STATUS_SCHEDULER_STOPPED 135
#define IDS_STATUS_NO_TASK 136
#define IDS_STATUS_UNREADABLE 137
#define IDS_STATUS_CLIENT 138
#define IDS_STATUS_PROFILE 139
#define IDS_STATUS_INTERVAL 140
#define IDS_STATUS_USER 141
#define IDS_STATUS_TASK 142
#define IDS_STATUS_TASK_APPLICATION 143
#define IDS_STATUS_TASK_PARAMETERS 144
#define IDS_STATUS_TASK_ACCOUNT 145
#define IDS_STATUS_TASK_TRIGGER 146
#define IDS_STATUS_TASK_STATE 147
#define IDS_STATUS_TASK_LAST_RUN 148
#define IDS_STATUS_TASK_NEXT_RUN 149
#define IDS_STATUS_SCHEDULER 150
#define IDS_STATUS_TUNNEL 151
#define IDS_VALUE_FOUND_IN 152
#define IDS_VALUE_NOT_FOUND 153
#define IDS_VALUE_NOT_STORED 154
#define IDS_VALUE_PRESENT 155
#define IDS_VALUE_NOT_READ 156
#define IDS_VALUE_NOT_KEPT 157
#define IDS_VALUE_EVERY_MINUTES 158
#define IDS_VALUE_READY 159
#define IDS_VALUE_RUNNING 160
#define IDS_VALUE_DISABLED 161
#define IDS_VALUE_HAS_NOT_RUN 162
#define IDS_VALUE_NOT_SCHEDULED 163
#define IDS_VALUE_NO_VALID_TRIGGERS 164
#define IDS_VALUE_NEVER 165
#define IDS_VALUE_EXIT_CODE 166
#define IDS_VALUE_NONE 167
#define IDS_VALUE_NOT_RUNNING 168
#define IDS_VALUE_UNKNOWN 169
#define IDS_VALUE_UP 170
#define IDS_VALUE_DOWN 171
// The texts of /delete, and of a Task Scheduler that fails a command.
#define IDS_CLI_TASK_DELETED 172
#define IDS_CLI_NO_TASK_TO_DELETE 173
#define IDS_CLI_SCHEDULER_UNREACHABLE 174
#define IDS_CLI_RESULT 175
// A check interval that the dialog's list does not offer.
#define IDS_INTERVAL_REFUSED 176
// The texts of /apply.
#define IDS_CLI_NO_SUCH_PROFILE 177
#define IDS_CLI_ACCOUNT_PASSWORD_NEEDED 179
#define IDS_CLI_APPLIED 180
#define IDS_CLI_STEP_FAILED 181
#define IDS_STEP_OPEN 182
#define IDS_STEP_ACCOUNT 183
#define IDS_STEP_COMMAND 184
#define IDS_STEP_TRIGGER 185
#define IDS_STEP_SAVE 186
// The text of /test that no outcome came in time.
#define IDS_CLI_TEST_TIMED_OUT 187
// The text of /apply that the settings could not be saved.
#define IDS_CLI_SETTINGS_NOT_SAVED 188
// Warnings of values that the task or the settings store could not carry.
#define IDS_VALUE_TOO_LONG 189
#define IDS_CONTROL_IN_VALUE 190
#define IDS_PERCENT_IN_VALUE 191
// Texts of a password given as "-" that standard input could not give.
#define IDS_CLI_INPUT_NOT_PLAIN 192
#define IDS_CLI_INPUT_NOT_REDIRECTED 193
// The text of /test that the tunnel is up already.
#define IDS_CLI_TUNNEL_ALREADY_UP 194
// /status of a work item that nothing runs.
#define IDS_STATUS_TASK_DISABLED 195
#define IDS_STATUS_TASK_NOT_SCHEDULED 196
#define IDS_STATUS_LAST_RUN_NOT_STARTED 197
#define IDS_VALUE_NOT_STARTED 198
// Another writer applied settings and task meanwhile.
#define IDS_APPLY_BUSY 199
// Empty profile credentials, which the connector refuses.
#define IDS_EMPTY_CREDENTIALS_REFUSED 200
// A profile name with a double quote, which would end its token on the connector's command line.
#define IDS_QUOTE_IN_PROFILE 201

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
