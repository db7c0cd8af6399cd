#pragma once
// Resource types of the dialog layer, for the resource scripts and the code alike (no C++ here:
// the resource compiler reads this file too).

// A dialog template's initialisation data: the items its list controls start with, per item a
// WORD control id, a WORD message (CB_ADDSTRING), a DWORD byte count and the bytes; a WORD 0
// ends the list.
#define RT_DIALOG_INIT_DATA 240
