// Ids of the test resources of the dialog layer's tests.
#pragma once
#define IDD_PROBE 900
#define IDC_PROBE_CHOICE 901
#define IDC_PROBE_NAME 902
#define IDS_PROBE_LONG 900
