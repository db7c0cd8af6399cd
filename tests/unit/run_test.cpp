#include <gtest/gtest.h>

#include <climits>

#include "exit_codes.h"
#include "run.h"

namespace {

// Records what the run asked of the machine and answers with scripted results.
class ScriptedDriver : public ConnectorDriver {
public:
    int statCode = 0;
    int tunnelFlag = 0;
    int connectCode = 0;
    bool clientMissing = false;
    int connectCalls = 0;
    std::vector<std::string> reports;
    std::vector<std::string> reportLogFiles;

    int RunVpnClientStat() override { return clientMissing ? -1 : statCode; }
    int ReadTunnelEstablished() override { return clientMissing ? -1 : tunnelFlag; }
    int RunVpnClientConnect(const ConnectorOptions& options) override {
        ++connectCalls;
        if (clientMissing) {
            ReportResult(options, kMsgClientNotFound);
            return -1;
        }
        return connectCode;
    }
    void ReportResult(const ConnectorOptions& options, const std::string& message) override {
        reports.push_back(message);
        reportLogFiles.push_back(options.logFile);
    }
};

using Messages = std::vector<std::string>;

struct RunCase {
    const char* name;
    const char* commandLine;
    int statCode;
    int tunnelFlag;
    int connectCode;
    bool clientMissing;
    int exitCode;
    Messages messages;
    int connectCalls;
};

class RunConnectorTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunConnectorTest, ReportsOutcomeAndExitCode) {
    const RunCase& c = GetParam();
    ScriptedDriver driver;
    driver.statCode = c.statCode;
    driver.tunnelFlag = c.tunnelFlag;
    driver.connectCode = c.connectCode;
    driver.clientMissing = c.clientMissing;
    ConnectorOptions options;
    EXPECT_EQ(RunConnector(SplitCommandLine(c.commandLine), options, driver), c.exitCode);
    EXPECT_EQ(driver.reports, c.messages);
    EXPECT_EQ(driver.connectCalls, c.connectCalls);
}

constexpr const char* kFull = "\"Office\" -u \"jo\" -p \"pw\"";

INSTANTIATE_TEST_SUITE_P(
    Outcomes, RunConnectorTest,
    ::testing::Values(
        RunCase{"Rejected", "Office -u", 0, 0, 0, false, 1, {kMsgBadCommandLine}, 0},
        RunCase{"NoProfile", "", 0, 0, 0, false, 1, {kMsgNoProfile}, 0},
        RunCase{"NoUser", "Office -p pw", 0, 0, 0, false, 1, {kMsgNoUser}, 0},
        RunCase{"NoPassword", "Office -u jo", 0, 0, 0, false, 1, {kMsgNoPassword}, 0},
        RunCase{"TunnelUp", kFull, 202, 1, 0, false, 0, {}, 0},
        RunCase{"TunnelUpFlagUnreadable", kFull, 202, -1, 0, false, 0, {}, 0},
        RunCase{"StatFailedFlagSet", kFull, 16, 1, 200, false, 0, {kMsgEstablished}, 1},
        RunCase{"Connected", kFull, 202, 0, 200, false, 0, {kMsgEstablished}, 1},
        RunCase{"ClientMissing", kFull, 0, 0, 0, true, 1, {kMsgClientNotFound, kMsgConnectFailed}, 1},
        RunCase{"StartFailed", kFull, 202, 0, -1, false, 1, {kMsgConnectFailed}, 1},
        RunCase{"NegativeCode", kFull, 202, 0, -1073741819, false, 1, {}, 1},
        RunCase{"OtherCode", kFull, 202, 0, 14, false, 0,
                {"Attempt to connect profile \"Office\" exitted with return code: 14 (ERR_START_FAILED)"}, 1},
        RunCase{"StillActiveCode", kFull, 202, 0, 259, false, 0,
                {"Attempt to connect profile \"Office\" exitted with return code: 259 (ERROR)"}, 1}),
    [](const ::testing::TestParamInfo<RunCase>& testCase) { return std::string(testCase.param.name); });

TEST(RunConnector, RejectionReachesLogFileOnlyWhenItStoodBefore) {
    ScriptedDriver before;
    ConnectorOptions optionsBefore;
    RunConnector(SplitCommandLine("-l c:\\x.log a b"), optionsBefore, before);
    ASSERT_EQ(before.reportLogFiles, std::vector<std::string>{"c:\\x.log"});

    ScriptedDriver after;
    ConnectorOptions optionsAfter;
    RunConnector(SplitCommandLine("a b -l c:\\x.log"), optionsAfter, after);
    ASSERT_EQ(after.reportLogFiles, std::vector<std::string>{""});
}

TEST(BuildConnectAttemptMessage, IsNeverCutShort) {
    const std::string profile(5000, 'p');
    const std::string message = BuildConnectAttemptMessage(profile, INT_MIN);
    EXPECT_EQ(message, "Attempt to connect profile \"" + profile +
                           "\" exitted with return code: -2147483648 (ERROR)");
}

}  // namespace
