#pragma once
#include <string>
#include <vector>

#include "command_line.h"

// What one run needs of the machine it runs on: the VPN client and the reports. The Windows
// program gives it the real client, the log file and the event log; tests replace them.
class ConnectorMachine {
public:
    virtual ~ConnectorMachine() = default;
    // Exit code of the client's "stat" command, or -1 when the client cannot be located or started.
    virtual int RunVpnClientStat() = 0;
    // The client's TunnelEstablished value, or -1 when it cannot be read.
    virtual int ReadTunnelEstablished() = 0;
    // Exit code of the connect command, or -1 when the client cannot be located (reported
    // as "Error: Client not found") or started.
    virtual int RunVpnClientConnect(const ConnectorOptions& options) = 0;
    // Writes the message to the log file (when options.logFile is set) and the event log.
    virtual void ReportResult(const ConnectorOptions& options, const std::string& message) = 0;
};

// Messages of a run, in the connector's own words.
inline constexpr const char* kMsgBadCommandLine = "Error: Incorrect command-line argumets";
inline constexpr const char* kMsgNoProfile = "Error: No profile specified";
inline constexpr const char* kMsgNoUser = "Error: No username specified";
inline constexpr const char* kMsgNoPassword = "Error: No password specified";
inline constexpr const char* kMsgClientNotFound = "Error: Client not found";
inline constexpr const char* kMsgConnectFailed =
    "Tunnel checked and DOWN. Error: Execution of \"vpnclient connect\" failed";
inline constexpr const char* kMsgEstablished = "VPN connection established.";

// "Attempt to connect profile \"<profile>\" exitted with return code: <code> (<name>)",
// built in full for any profile and any 32-bit code.
std::string BuildConnectAttemptMessage(const std::string& profile, int exitCode);

// One run of the connector: parses the argument vector into `options`, checks it, asks
// whether the tunnel is up and connects when it is not. Returns the process exit code, 0 or 1.
int RunConnector(const std::vector<std::string>& args, ConnectorOptions& options,
                 ConnectorMachine& machine);
