#include "windows_machine.h"

#include "client_contract.h"
#include "installed_client.h"
#include "report.h"
#include "vpn_client_driver.h"
#include "wipe_text.h"

int WindowsMachine::RunVpnClientStat() {
    const auto clientPath = LocateVpnClient();
    if (!clientPath) {
        return -1;
    }
    return RunVpnClient(*clientPath, kStatCommand);
}

int WindowsMachine::ReadTunnelEstablished() {
    const auto value = ReadTunnelFlag();
    return value ? static_cast<int>(*value) : -1;
}

int WindowsMachine::RunVpnClientConnect(const ConnectorOptions& options) {
    const auto clientPath = LocateVpnClient();
    if (!clientPath) {
        ReportResult(options, kMsgClientNotFound);
        return -1;
    }
    std::string connectText = BuildConnectText(options.profile, options.user, options.password);
    const int code = RunVpnClient(*clientPath, connectText);
    WipeText(connectText);
    return code;
}

void WindowsMachine::ReportResult(const ConnectorOptions& options,
                                          const std::string& message) {
    ::ReportResult(options.logFile, message);
}
