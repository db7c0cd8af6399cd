#pragma once
// Both programs run where nobody sees the screen (the connector always, the configuration
// program often under a deployment tool): no error box of Windows may wait for a click there.
// Set first thing in each program; on Windows the VPN client runs they start inherit it, so a
// crashing client ends instead of holding the run behind its error box.
#include <windows.h>

inline constexpr UINT kUnattendedErrorMode =
    SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;

inline void UseUnattendedErrorMode() { SetErrorMode(kUnattendedErrorMode); }
