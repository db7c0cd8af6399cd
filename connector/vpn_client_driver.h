#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "client_start.h"
#include "run.h"


// Starts the client hidden through the shell with the given parameters and waits for its
// exit code. Returns -1 when the start fails.
int RunVpnClient(const std::string& clientPath, const std::string& parameters);

// Polls the process's exit code every 300 ms until it has ended and returns it; 259 when
// the very first query fails. A process that has ended ends the wait whatever its code,
// 259 included.
DWORD WaitForExitCode(HANDLE process);

// The connector's driver on the real machine: the installed VPN client, the log file and the
// event log.
class WindowsConnectorDriver final : public ConnectorDriver {
public:
    int RunVpnClientStat() override;
    int ReadTunnelEstablished() override;
    int RunVpnClientConnect(const ConnectorOptions& options) override;
    void ReportResult(const ConnectorOptions& options, const std::string& message) override;
};
