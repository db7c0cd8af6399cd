#include "vpn_client_driver.h"

#include "client_contract.h"
#include "client_start.h"
#include "report.h"
#include "win_handles.h"

namespace {

constexpr DWORD kPollIntervalMs = 300;

}  // namespace

DWORD WaitForExitCode(HANDLE process) {
    DWORD code = kStillActive;
    for (;;) {
        if (!GetExitCodeProcess(process, &code)) {
            return code;
        }
        Sleep(kPollIntervalMs);
        // A client that ended with the code 259 itself would otherwise be waited for
        // forever.
        if (RunHasEnded(process, code)) {
            return code;
        }
    }
}

int RunVpnClient(const std::string& clientPath, const std::string& parameters) {
    const UniqueHandle process = VpnClientRequest(clientPath, parameters).Start();
    if (!process) {
        return -1;
    }
    return static_cast<int>(WaitForExitCode(process.get()));
}

int WindowsConnectorDriver::RunVpnClientStat() {
    const auto clientPath = LocateVpnClient();
    if (!clientPath) {
        return -1;
    }
    return RunVpnClient(*clientPath, kStatCommand);
}

int WindowsConnectorDriver::ReadTunnelEstablished() {
    const RegistryKey key = OpenVpnClientKey();
    if (!key) {
        return -1;
    }
    const auto value = QueryRegistryDword(key.get(), kVpnClientTunnelValue);
    return value ? static_cast<int>(*value) : -1;
}

int WindowsConnectorDriver::RunVpnClientConnect(const ConnectorOptions& options) {
    const auto clientPath = LocateVpnClient();
    if (!clientPath) {
        ReportResult(options, kMsgClientNotFound);
        return -1;
    }
    std::string connectText = BuildConnectText(options.profile, options.user, options.password);
    const int code = RunVpnClient(*clientPath, connectText);
    SecureZeroMemory(connectText.data(), connectText.size());
    return code;
}

void WindowsConnectorDriver::ReportResult(const ConnectorOptions& options,
                                          const std::string& message) {
    ::ReportResult(options.logFile, message);
}
