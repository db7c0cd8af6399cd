#include <gtest/gtest.h>

#include <climits>

#include "run.h"

namespace {

using Trace = std::vector<std::string>;

struct Script {
    int stat, flag, connect;
    bool clientMissing;
};

// Answers as scripted and records, in order, each question asked of the client ("stat",
// "flag", "connect") and each message reported.
class ScriptedDriver : public ConnectorDriver {
public:
    explicit ScriptedDriver(Script script) : m_script(script) {}
    Trace trace;
    std::vector<std::string> logFiles;

    int RunVpnClientStat() override { return Note("stat", m_script.stat); }
    int ReadTunnelEstablished() override { return Note("flag", m_script.flag); }
    int RunVpnClientConnect(const ConnectorOptions& options) override {
        if (Note("connect", m_script.clientMissing)) {
            ReportResult(options, kMsgClientNotFound);
            return -1;
        }
        return m_script.connect;
    }
    void ReportResult(const ConnectorOptions& options, const std::string& message) override {
        trace.push_back(message);
        logFiles.push_back(options.logFile);
    }

private:
    int Note(const char* question, int answer) {
        trace.push_back(question);
        return answer;
    }
    Script m_script;
};

// Every outcome of a run: the exit code and the whole trace of questions and messages.
TEST(RunConnector, EachOutcomeHasItsMessagesAndExitCode) {
    const char* const full = "\"Office\" -u \"jo\" -p \"pw\"";
    const struct { const char* name; const char* commandLine; Script script; int exitCode; Trace trace; }
        cases[] = {
            {"rejected", "Office -u", {}, 1, {kMsgBadCommandLine}},
            {"no profile", "", {}, 1, {kMsgNoProfile}},
            {"no user", "Office -p pw", {}, 1, {kMsgNoUser}},
            {"no password", "Office -u jo", {}, 1, {kMsgNoPassword}},
            {"tunnel up", full, {202, 1, 0, false}, 0, {"stat", "flag"}},
            {"tunnel up, flag unreadable", full, {202, -1, 0, false}, 0, {"stat", "flag"}},
            {"status failed, flag set", full, {16, 1, 200, false}, 0,
             {"stat", "flag", "connect", kMsgEstablished}},
            {"connected", full, {202, 0, 200, false}, 0, {"stat", "flag", "connect", kMsgEstablished}},
            {"client missing", full, {-1, -1, 0, true}, 1,
             {"stat", "flag", "connect", kMsgClientNotFound, kMsgConnectFailed}},
            {"start failed", full, {202, 0, -1, false}, 1, {"stat", "flag", "connect", kMsgConnectFailed}},
            {"negative code", full, {202, 0, -1073741819, false}, 1, {"stat", "flag", "connect"}},
            {"other code", full, {202, 0, 14, false}, 0,
             {"stat", "flag", "connect",
              "Attempt to connect profile \"Office\" exitted with return code: 14 (ERR_START_FAILED)"}},
            {"still-active code", full, {202, 0, 259, false}, 0,
             {"stat", "flag", "connect",
              "Attempt to connect profile \"Office\" exitted with return code: 259 (ERROR)"}}};
    for (const auto& c : cases) {
        ScriptedDriver driver(c.script);
        ConnectorOptions options;
        EXPECT_EQ(RunConnector(SplitCommandLine(c.commandLine), options, driver), c.exitCode) << c.name;
        EXPECT_EQ(driver.trace, c.trace) << c.name;
    }
}

// Options stay set up to the rejected token: the log file is written only when it stood before.
TEST(RunConnector, RejectionReachesTheLogFileOnlyWhenItStoodBefore) {
    for (const auto& [commandLine, logFile] :
         {std::pair{"-l c:\\x.log a b", "c:\\x.log"}, std::pair{"a b -l c:\\x.log", ""}}) {
        ScriptedDriver driver({});
        ConnectorOptions options;
        RunConnector(SplitCommandLine(commandLine), options, driver);
        EXPECT_EQ(driver.logFiles, std::vector<std::string>{logFile}) << commandLine;
    }
}

TEST(BuildConnectAttemptMessage, IsNeverCutShort) {
    const std::string profile(5000, 'p');
    EXPECT_EQ(BuildConnectAttemptMessage(profile, INT_MIN), "Attempt to connect profile \"" +
              profile + "\" exitted with return code: -2147483648 (ERROR)");
}

}  // namespace
