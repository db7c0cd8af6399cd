#pragma once
// The machine that a run of the connector works on: the installed VPN client, the log file and
// the event log.
#include <string>

#include "run.h"

class WindowsMachine final : public ConnectorMachine {
public:
    int RunVpnClientStat() override;
    int ReadTunnelEstablished() override;
    int RunVpnClientConnect(const ConnectorOptions& options) override;
    void ReportResult(const ConnectorOptions& options, const std::string& message) override;
};
