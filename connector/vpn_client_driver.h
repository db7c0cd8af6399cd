#pragma once
// The connector's runs of the VPN client's program: started hidden through the shell and
// waited for by polling the exit code.
#include <windows.h>

#include <string>

// Starts the client hidden through the shell with the given parameters and waits for its
// exit code. Returns -1 when the start fails.
int RunVpnClient(const std::string& clientPath, const std::string& parameters);

// Polls the process's exit code every 300 ms until it has ended and returns it; 259 when
// the very first query fails. A process that has ended ends the wait whatever its code,
// 259 included.
DWORD WaitForExitCode(HANDLE process);
