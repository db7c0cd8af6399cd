#include "run.h"

#include "exit_codes.h"

std::string BuildConnectAttemptMessage(const std::string& profile, int exitCode) {
    return "Attempt to connect profile \"" + profile + "\" exitted with return code: " +
           std::to_string(exitCode) + " (" + VpnClientExitCodeName(exitCode) + ")";
}

int RunConnector(const std::vector<std::string>& args, ConnectorOptions& options,
                 ConnectorMachine& machine) {
    if (ParseOptions(args, options) != 0) {
        machine.ReportResult(options, kMsgBadCommandLine);
        return 1;
    }
    if (options.profile.empty()) {
        machine.ReportResult(options, kMsgNoProfile);
        return 1;
    }
    if (options.user.empty()) {
        machine.ReportResult(options, kMsgNoUser);
        return 1;
    }
    if (options.password.empty()) {
        machine.ReportResult(options, kMsgNoPassword);
        return 1;
    }

    const int statCode = machine.RunVpnClientStat();
    const int tunnelFlag = machine.ReadTunnelEstablished();
    // A flag that cannot be read (-1) is not 0: then the status code alone decides.
    if (statCode == SUCCESS_STAT && tunnelFlag != 0) {
        return 0;
    }

    const int connectCode = machine.RunVpnClientConnect(options);
    if (connectCode == -1) {
        machine.ReportResult(options, kMsgConnectFailed);
        return 1;
    }
    if (connectCode < 0) {
        return 1;
    }
    if (connectCode == SUCCESS_START) {
        machine.ReportResult(options, kMsgEstablished);
        return 0;
    }
    machine.ReportResult(options, BuildConnectAttemptMessage(options.profile, connectCode));
    return 0;
}
