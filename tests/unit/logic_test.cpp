#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "client_contract.h"
#include "command_line.h"
#include "command_line_options.h"
#include "logon_check.h"
#include "parsed_values.h"
#include "exit_codes.h"
#include "log_line.h"
#include "resource.h"
#include "run.h"
#include "secret_string.h"
#include "status_report.h"
#include "task_parameters.h"
#include "test_outcome.h"

namespace {

using Texts = std::vector<std::string>;

// Each case's input through `rule`, against what the rule must give for it.
template <typename In, typename Out, typename Rule>
void ExpectEach(Rule rule, std::initializer_list<std::pair<In, Out>> cases) {
    for (const auto& [input, want] : cases) {
        EXPECT_EQ(rule(input), want) << testing::PrintToString(input);
    }
}
constexpr auto ExpectTexts =
    ExpectEach<std::string, std::string, std::string (*)(const std::string&)>;

TEST(TextRules, EachGivesItsWholeText) {
    // The Windows runtime's skip of the program name and the white space after it.
    ExpectTexts(
        [](const std::string& s) -> std::string { return CommandLineAfterProgramName(s.c_str()); },
        {{"C:\\F.exe\t \x01Office", "Office"}, {"\"C:\\unclosed", ""}, {"F.exe  ", ""}, {"", ""}});
    ExpectTexts(MakeLogRecord, {{"a\nb", "a\r\nb\r\n"}});
    ExpectTexts(WithTrailingBackslash, {{"C:\\VPN", "C:\\VPN\\"}, {"C:\\VPN\\", "C:\\VPN\\"}});
    ExpectTexts(ProfileNameFromFileName,
                {{"Office.pcf", "Office"}, {"a.b.pcf", "a.b"}, {".pcf", ""}, {"NoDot", "NoDot"}});
    ExpectTexts(LastAccountPiece, {{"A\\DOMAIN\\user", "user"},
                                   {"DOMAIN\\user\\\\", "user"},
                                   {"user", "user"},
                                   {"\\user", "user"},
                                   {"\\\\\\", ""}});
}

TEST(SplitCommandLine, YieldsTheTokensAfterTheFixedProgramName) {
    const struct { const char* text; Texts tokens; } cases[] = {
        {"   ", {}}, {"a  b", {"a", "b"}}, {"\"abc\"def", {"abc", "def"}}, {"\"\" x", {"", "x"}},
        {"ab\"cd ef", {"ab\"cd", "ef"}}, {"\"open ended", {"open ended"}}, {"a \"", {"a", ""}},
        {"tab\there", {"tab\there"}},
        {"t t t t t t t t t t t t t t t t t t t t t t t t t t t t t t t t t t t t t t t t ",
         Texts(40, "t")}};
    for (const auto& c : cases) {
        Texts want{"Ferrolink.exe"};
        want.insert(want.end(), c.tokens.begin(), c.tokens.end());
        EXPECT_EQ(SplitCommandLine(c.text), want) << c.text;
    }
}

// The options as "profile|user|password|log file|i value"; nothing after a rejected token
// is read.
TEST(ParseOptions, FillsTheOptionsUpToTheFirstTokenItRejects) {
    const struct { const char* text; int result; const char* options;
    } cases[] = {{"", 0, "||||"},
                 {"Office -U jo -P pw -L c:\\f.log -I 5", 0, "Office|jo|pw|c:\\f.log|5"},
                 {"Office -u", 1, "Office||||"},
                 {"Office -u /x", 1, "Office||||"},
                 {"Office -uu x", 1, "Office||||"},
                 {"/Office -u x", 0, "/Office|x|||"},
                 {"-Office -u -p -p pw", 0, "-Office|-p|pw||"},
                 {"\"\" Other", 0, "Other||||"},
                 {"Office -u a -u \"\"", 0, "Office||||"},
                 {"-l c:\\a.log bad1 bad2 -u jo", 1, "bad1|||c:\\a.log|"}};
    for (const auto& c : cases) {
        ConnectorOptions o;
        EXPECT_EQ(ParseOptions(SplitCommandLine(c.text), o), c.result) << c.text;
        EXPECT_EQ(o.profile + "|" + o.user + "|" + o.password + "|" + o.logFile + "|" + o.iValue,
                  c.options) << c.text;
    }
}

// A tunnel that is down and a connect that ends with the code given; traces each connect and
// each report: its log file when one is set, then its message.
struct ScriptedMachine : ConnectorMachine {
    int connectCode = 0;
    Texts trace;
    int RunVpnClientStat() override { return 202; }
    int ReadTunnelEstablished() override { return 0; }
    int RunVpnClientConnect(const ConnectorOptions&) override {
        trace.push_back("connect");
        return connectCode;
    }
    void ReportResult(const ConnectorOptions& options, const std::string& message) override {
        if (!options.logFile.empty()) trace.push_back(options.logFile);
        trace.push_back(message);
    }
};

// The outcomes that depend on the client's answers (tunnel up, flag unreadable, status failed,
// codes -1, 200 and 259) are proven with the real connector against the simulated client.
TEST(RunConnector, EachOutcomeHasItsMessagesAndExitCode) {
    const char* const full = "\"Office\" -u \"jo\" -p \"pw\"";
    const struct { const char* commandLine; int connect, exitCode; Texts trace;
    } cases[] = {
        {"-l c:\\x.log a b", 0, 1, {"c:\\x.log", "Error: Incorrect command-line argumets"}},
        {"", 0, 1, {"Error: No profile specified"}},
        {"Office -p pw", 0, 1, {"Error: No username specified"}},
        {"Office -u jo", 0, 1, {"Error: No password specified"}},
        {full, -1073741819, 1, {"connect"}},
        {full,
         14,
         0,
         {"connect",
          "Attempt to connect profile \"Office\" exitted with return code: 14 "
          "(ERR_START_FAILED)"}}};
    for (const auto& c : cases) {
        ScriptedMachine machine;
        machine.connectCode = c.connect;
        ConnectorOptions options;
        EXPECT_EQ(RunConnector(SplitCommandLine(c.commandLine), options, machine), c.exitCode)
            << c.commandLine;
        EXPECT_EQ(machine.trace, c.trace) << c.commandLine;
    }
    const std::string profile(5000, 'p');
    EXPECT_EQ(BuildConnectAttemptMessage(profile, INT_MIN), "Attempt to connect profile \"" +
              profile + "\" exitted with return code: -2147483648 (ERROR)");
}

// Codes 1 to 36 and 200 to 203 have these names; every other 32-bit value is "ERROR".
TEST(VpnClientExitCodeName, NamesEveryCodeOfTheTableAndErrorForAllOthers) {
    const char* const low[] = {
        "ERR_UNKNOWN", "ERR_MISSING_COMMAND", "ERR_BAD_COMMAND", "ERR_MISSING_PARAMS",
        "ERR_BAD_PARAMS", "ERR_TOO_MANY_PARAMS", "ERR_NO_PARAMS_NEEDED", "ERR_ATTACH_FAILED",
        "ERR_DETACH_FAILED", "ERR_NO_PROFILE", "ERR_PWD_MISMATCHED - Reserved", "ERR_PWD_TOO_LONG",
        "ERR_TOO_MANY_TRIES", "ERR_START_FAILED", "ERR_STOP_FAILED", "ERR_STAT_FAILED",
        "ERR_ENUM_FAILED", "ERR_COMMUNICATION_FAILED", "ERR_SET_HANDLER_FAILED",
        "ERR_CLEAR_HANDLER_FAILED", "ERR_OUT_OF_MEMORY", "ERR_BAD_INTERFACE",
        "ERR_UNEXPECTED_CALLBACK", "ERR_DO_NOT_CONTINUE", "ERR_GUI_RUNNING",
        "ERR_SET_WORK_DIR_FAILED", "ERR_NOT_CONNECTED", "ERR_BAD_GROUP_NAME", "ERR_BAD_GROUP_PWD",
        "ERR_BAD_AUTHTYPE", "RESERVED_01", "RESERVED_02", "ERR_COMMUNICATION_TIMED_OUT",
        "ERR_BAD_3RD_PARTY_DIAL", "ERR_DAEMON_NOT_RUNNING", "ERR_DAEMON_ALREADY_RUNNING"};
    const char* const high[] = {"SUCCESS_START", "SUCCESS_STOP", "SUCCESS_STAT", "SUCCESS_ENUMPPP"};
    for (std::int64_t code = -300; code < 600; ++code) {
        const std::string want = code >= 1 && code <= 36     ? low[code - 1]
                                 : code >= 200 && code <= 203 ? high[code - 200]
                                                              : "ERROR";
        EXPECT_EQ(VpnClientExitCodeName(static_cast<std::int32_t>(code)), want) << code;
    }
    EXPECT_STREQ(VpnClientExitCodeName(INT_MIN), "ERROR");
    EXPECT_STREQ(VpnClientExitCodeName(INT_MAX), "ERROR");
}

// The ctime form with a zero-padded day and time, every day's and month's name.
TEST(MakeLogLine, StampsTheMessageWithTheTimeInTheCtimeForm) {
    const std::string days = "SunMonTueWedThuFriSat",
                      months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    std::tm t{};
    t.tm_year = 109, t.tm_mday = 5, t.tm_min = 7, t.tm_sec = 3;
    for (std::size_t month = 0; month < 12; ++month) {
        t.tm_mon = int(month), t.tm_wday = int(6 - month % 7);
        const std::string stamp =
            days.substr(18 - 3 * (month % 7), 3) + " " + months.substr(3 * month, 3);
        EXPECT_EQ(MakeLogLine("Up.", t), stamp + " 05 00:07:03 2009: Up.");
    }
}

// Values are quoted as they are: the dialogs refuse one with a double quote before. Only on
// the client's command line, which a C runtime splits, do the backslashes before a closing
// quote double; the connector takes every backslash as it stands.
TEST(CredentialTexts, QuoteTheProfileAndAddOnlyTheCredentialsGiven) {
    const struct { const char *profile, *user, *password, *connect, *parameters; } cases[] = {
        {"Office", "", "pw", "connect \"Office\" pwd \"pw\"", "\"Office\" -p \"pw\""},
        {"Office", "jo", "", "connect \"Office\" user \"jo\"", "\"Office\" -u \"jo\""},
        {"", "", "", "connect \"\"", "\"\""},
        {"a\\b", "D\\jo\\", "\\p\\\\", "connect \"a\\b\" user \"D\\jo\\\\\" pwd \"\\p\\\\\\\\\"",
         "\"a\\b\" -u \"D\\jo\\\" -p \"\\p\\\\\""}};
    for (const auto& c : cases) {
        EXPECT_EQ(BuildConnectText(c.profile, c.user, c.password), c.connect);
        EXPECT_EQ(BuildTaskParameters(c.profile, c.user, c.password), c.parameters);
    }
}

// What the connector could not take from the work item is refused, the first reason found
// first; a slash or dash elsewhere, and a longer option-like name, pass.
TEST(RefusedValuesWarning, RefusesWhatTheConnectorCouldNotTake) {
    const std::string longest(399, 'x');
    const struct {
        std::string profile, user, password;
        std::optional<unsigned> warning;
    } cases[] = {{"Office", "jo", "pw", std::nullopt},
                 {"-l", "\"", "/", IDS_QUOTE_IN_CREDENTIALS},
                 {"Office", "jo", "p\"w", IDS_QUOTE_IN_CREDENTIALS},
                 {"-i", "/jo", "pw", IDS_SLASH_IN_CREDENTIALS},
                 {"Office", "jo", "/pw", IDS_SLASH_IN_CREDENTIALS},
                 {"-P", "jo", "pw", IDS_OPTION_PROFILE},
                 {"-u", "", "", IDS_OPTION_PROFILE},
                 {"-L", "jo", "pw", IDS_OPTION_PROFILE},
                 {"-I", "jo", "pw", IDS_OPTION_PROFILE},
                 {"Off\"ice", "jo", "pw", IDS_QUOTE_IN_PROFILE},
                 {"\"-l", "jo", "pw", IDS_QUOTE_IN_PROFILE},
                 {"/l", "j/o", "p/", std::nullopt},
                 {"-lx", "-u", "-p", std::nullopt},
                 {"-x", "jo", "pw", std::nullopt},
                 // What the settings store could not read back whole, the task could not carry or
                 // the Task Scheduler might expand.
                 {longest, longest, longest, std::nullopt},
                 {longest + "x", "jo", "pw", IDS_VALUE_TOO_LONG},
                 {"Office", "jo", longest + "x", IDS_VALUE_TOO_LONG},
                 {"Office", "jo", "p\nw", IDS_CONTROL_IN_VALUE},
                 {"Office", std::string("j\0o", 3), "pw", IDS_CONTROL_IN_VALUE},
                 {"Off\tice", "jo", "pw", IDS_CONTROL_IN_VALUE},
                 {"Office", "jo", "pw\x7f", IDS_CONTROL_IN_VALUE},
                 {"Office", "jo", "p\xe9w \xff", std::nullopt},
                 {"Office", "jo", "%PATH%", IDS_PERCENT_IN_VALUE},
                 {"100%", "jo", "pw", IDS_PERCENT_IN_VALUE},
                 // The connector refuses a command line without -u or -p.
                 {"Office", "", "pw", IDS_EMPTY_CREDENTIALS_REFUSED},
                 {"Office", "jo", "", IDS_EMPTY_CREDENTIALS_REFUSED}};
    for (const auto& c : cases) {
        EXPECT_EQ(RefusedValuesWarning(c.profile, c.user, c.password), c.warning)
            << c.profile << c.user << c.password;
    }
}

// The connector reads back from the work item's parameters exactly the values let through,
// however awkward: blanks, backslashes, a leading dash or slash, an option as a value.
TEST(TaskParameters, GiveTheConnectorBackEveryValueLetThrough) {
    const struct { std::string profile, user, password; } rows[] = {
        {"My Office ", " jo ", "p w "}, {"a\\", "D\\jo\\", "\\\\"}, {"-x", "-p", "-u"},
        {"/l", "-l", "-i"}, {"-", "j/o", "p/"}, {"\xe9t\xe9", "-P", "x -p y"}, {"-lx", "-L", "-"}};
    for (const auto& r : rows) {
        ASSERT_EQ(RefusedValuesWarning(r.profile, r.user, r.password), std::nullopt) << r.profile;
        const std::string parameters = BuildTaskParameters(r.profile, r.user, r.password);
        ConnectorOptions options;
        EXPECT_EQ(ParseOptions(SplitCommandLine(parameters.c_str()), options), 0);
        EXPECT_EQ(std::tie(options.profile, options.user, options.password),
                  std::tie(r.profile, r.user, r.password));
    }
}

// A password's text leaves no byte of it in its buffer, also once it was cut short.
TEST(SecretString, WipesItsWholeBuffer) {
    SecretString secret("a password of some length");
    secret.resize(2);
    secret.Wipe();
    EXPECT_EQ(std::string(secret.data(), secret.capacity()), std::string(secret.capacity(), '\0'));
}

TEST(LeadingInteger, ReadsAsPercentDReads) {
    ExpectEach<std::string, std::optional<int>>(LeadingInteger,
                                                {{"\t\n\v\f\r 7", 7},
                                                 {"-3x", -3},
                                                 {"+7", 7},
                                                 {"disable checks", {}},
                                                 {"", {}},
                                                 {"-", {}},
                                                 {"+ 7", {}},
                                                 {"2147483647", INT_MAX},
                                                 {"-2147483648", INT_MIN},
                                                 {"2147483648 minutes", INT_MAX},
                                                 {"-2147483649", INT_MIN},
                                                 {"99999999999999999999999", INT_MAX}});
}

// Nothing rather than a name cut short.
TEST(BuildConnectorPath, JoinsTheFolderAndRefusesANameThatDoesNotFit) {
    const std::string deep(385, 'd');  // with "\Ferrolink.exe": 399 characters
    ExpectEach<std::optional<std::string>, std::optional<std::string>>(
        [](const auto& folder) { return BuildConnectorPath(folder, 399); },
        {{"", "\\Ferrolink.exe"}, {std::nullopt, "Ferrolink.exe"}, {deep, deep + "\\Ferrolink.exe"},
         {deep + "\\", deep + "\\Ferrolink.exe"}, {deep + "d", std::nullopt}});
}

// Only the two errors that say the test may not be made (access denied, privilege not held)
// let a pair through unchecked; a wrong password, a neighbouring error or no reason refuse it.
TEST(LogonOutcomeOfError, OnlyMissingRightsCountAsNotAllowedToTest) {
    const LogonOutcome notAllowed = LogonOutcome::NotAllowedToTest,
                       rejected = LogonOutcome::Rejected;
    ExpectEach<unsigned long, LogonOutcome>(LogonOutcomeOfError, {{5, notAllowed},
                                                                  {1314, notAllowed},
                                                                  {1326, rejected},
                                                                  {1313, rejected},
                                                                  {1315, rejected},
                                                                  {0, rejected},
                                                                  {4, rejected},
                                                                  {6, rejected}});
}

// The states of real runs (waiting, 200, 14, 259, no client), with their texts, icons and
// buttons, are proven end to end; here the neighbour of 200 and a code with its top bit set.
TEST(TestOutcomeFor, OnlyTwoHundredSucceeds) {
    for (const auto& [code, name] : {std::pair{201u, "SUCCESS_STOP"}, {0xC0000005u, "ERROR"}}) {
        const TestOutcome o = TestOutcomeFor(true, code);
        EXPECT_EQ(std::make_pair(o.state, std::string(o.codeName)),
                  std::make_pair(TestState::Failed, std::string(name))) << code;
    }
}

// The command line read, as "command|profile|user|password|interval|account|accountpassword|
// timeout" ("-" for a value not given), or the fault and the switch it names.
std::string DescribeReading(const Texts& arguments) {
    const CommandLineReading r = ReadConfigCommandLine(arguments);
    if (!r.commandLine) {
        return "fault " + std::to_string(static_cast<int>(r.fault)) + " " + r.switchName;
    }
    const ConfigCommandLine& c = *r.commandLine;
    std::string text = std::to_string(static_cast<int>(c.command));
    const auto shown = [](const auto& value) { return "|" + std::string(value.value_or("-")); };
    text += shown(c.profile) + shown(c.user) + shown(c.password) + shown(c.intervalText) +
            shown(c.account) + shown(c.accountPassword);
    return text + "|" + (c.timeoutSeconds ? std::to_string(*c.timeoutSeconds) : "-");
}

TEST(ReadConfigCommandLine, TakesEachCommandsSwitchesAndRefusesTheRest) {
    // Commands: 0 apply, 1 test, 2 delete, 3 status, 4 help. Faults: 1 unknown, 2 twice,
    // 3 missing value, 4 bad number, 5 not a switch.
    const struct { Texts arguments; const char* want; } cases[] = {
        {{"/APPLY", "/Profile:Head Office", "/USER:jo", "/password:-", "/interval:15",
          "/account:MACHINE\\vpn", "/AccountPassword:-"},
         "0|Head Office|jo|-|15|MACHINE\\vpn|-|-"},
        {{"/apply", "/user:", "/password:", "/accountpassword:"}, "0|-|||-|-||-"},
        {{"/apply", "/password:a:b"}, "0|-|-|a:b|-|-|-|-"},
        {{"/Test", "/profile:Office", "/timeout:1"}, "1|Office|-|-|-|-|-|1"},
        {{"/test", "/timeout:86400"}, "1|-|-|-|-|-|-|86400"},
        {{"/delete"}, "2|-|-|-|-|-|-|-"},
        {{"/STATUS"}, "3|-|-|-|-|-|-|-"},
        {{"/?"}, "4|-|-|-|-|-|-|-"},
        {{}, "fault 1 "},
        {{"/install"}, "fault 1 /install"},
        {{"/profile:Office", "/apply"}, "fault 1 /profile"},
        {{"status"}, "fault 5 "},
        {{"/apply", "secret"}, "fault 5 "},
        {{"/apply", "/status"}, "fault 1 /status"},
        {{"/status", "/profile:Office"}, "fault 1 /profile"},
        {{"/?", "/apply"}, "fault 1 /apply"},
        {{"/test", "/interval:5"}, "fault 1 /interval"},
        {{"/test", "/allowempty"}, "fault 1 /allowempty"},
        {{"/apply", "/timeout:5"}, "fault 1 /timeout"},
        {{"/apply", "/allowempty:yes"}, "fault 1 /allowempty"},
        {{"/apply", "/user:a", "/USER:b"}, "fault 2 /USER"},
        {{"/apply", "/allowempty"}, "fault 1 /allowempty"},
        {{"/apply", "/profile"}, "fault 3 /profile"},
        {{"/apply", "/profile:"}, "fault 3 /profile"},
        {{"/apply", "/account:"}, "fault 3 /account"},
        {{"/apply", "/password"}, "fault 3 /password"},
        {{"/apply", "/interval:"}, "fault 3 /interval"},
        {{"/apply", "/interval:5m"}, "fault 4 /interval"},
        {{"/apply", "/interval:-5"}, "fault 4 /interval"},
        {{"/test", "/timeout:0"}, "fault 4 /timeout"},
        {{"/test", "/timeout:86401"}, "fault 4 /timeout"},
        {{"/test", "/timeout:99999999999"}, "fault 4 /timeout"},
        {{"/test", "/timeout:+5"}, "fault 4 /timeout"},
        // A value after "=" instead of ":" is never part of the name an error line gives.
        {{"/apply", "/password=Secret1"}, "fault 1 /password"},
        {{"/apply", "/timeout=Secret1:x"}, "fault 1 /timeout"},
        {{"/password=Secret1"}, "fault 1 /password"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeReading(c.arguments), c.want) << testing::PrintToString(c.arguments);
    }
}

TEST(TakePasswordsFromInput, ReadsTheProfilePasswordFirstAndNamesAMissingOrUnplainLine) {
    const struct {
        const char* password;
        const char* accountPassword;
        Texts lines;
        std::string fault;
        std::string want;
    } cases[] = {
        {"-", "-", {"p1", "a1"}, "", "p1|a1"},
        {"typed", "-", {"a1"}, "", "typed|a1"},
        {"-", "typed", {"p1", "unused"}, "", "p1|typed"},
        {"-", "-", {"p1"}, "/accountpassword no line", "p1|-"},
        {"-", nullptr, {}, "/password no line", "-|"},
        {nullptr, nullptr, {}, "", "|"},
        // Code page 1252 is taken as it is; what a UTF-8 or UTF-16 file begins with is not.
        {"-", "-", {"p\xe9\xff", "a1"}, "", "p\xe9\xff|a1"},
        {"-", "-", {"\xEF\xBB\xBFp1", "a1"}, "/password not plain", "\xEF\xBB\xBFp1|-"},
        {"-", "-", {"\xFF\xFEp", "a1"}, "/password not plain", "\xFF\xFEp|-"},
        {"-",
         "-",
         {"p1", std::string("a\0", 2)},
         "/accountpassword not plain",
         std::string("p1|a\0", 5)},
        {"-", "-", {"p1", "a\x1b"}, "/accountpassword not plain", "p1|a\x1b"},
    };
    for (const auto& c : cases) {
        ConfigCommandLine line;
        if (c.password) line.password = c.password;
        if (c.accountPassword) line.accountPassword = c.accountPassword;
        std::size_t next = 0;
        const auto fault = TakePasswordsFromInput(line, [&]() -> std::optional<std::string> {
            if (next == c.lines.size()) return std::nullopt;
            return c.lines[next++];
        });
        EXPECT_EQ(fault ? fault->switchName + (fault->noLine ? " no line" : " not plain") : "",
                  c.fault)
            << c.want;
        EXPECT_EQ(line.password.value_or("") + "|" + line.accountPassword.value_or(""), c.want);
    }
}

TEST(JudgeStatus, NamesTheWorstThatIsKnown) {
    using F = Fact;
    using L = StatusLevel;
    using R = StatusReason;
    const std::optional<unsigned long> never, one = 1ul, zero = 0ul;
    using H = TaskHindrance;
    const struct {
        bool client;
        Fact scheduler, task, tunnel;
        std::optional<unsigned long> lastRun;
        L level;
        R reason;
        H hindrance = H::None;
    } cases[] = {
        {true, F::Yes, F::Yes, F::Yes, zero, L::Ok, R::TunnelUp},
        {true, F::Yes, F::Yes, F::Yes, never, L::Ok, R::TunnelUp},
        {true, F::Yes, F::Yes, F::Yes, 2ul, L::Ok, R::TunnelUp},
        {true, F::Yes, F::Yes, F::No, one, L::Warning, R::TunnelDown},
        {true, F::Yes, F::Yes, F::Yes, one, L::Warning, R::LastRunFailed},
        {false, F::No, F::No, F::Unreadable, never, L::Critical, R::NoClient},
        {true, F::No, F::Unreadable, F::Yes, never, L::Critical, R::SchedulerNotRunning},
        {true, F::Unreadable, F::No, F::Yes, never, L::Critical, R::NoTask},
        {true, F::Unreadable, F::Yes, F::No, never, L::Unknown, R::Unreadable},
        {true, F::Yes, F::Unreadable, F::Yes, never, L::Unknown, R::Unreadable},
        {true, F::Yes, F::Yes, F::Unreadable, one, L::Unknown, R::Unreadable},
        // A work item that nothing runs keeps no tunnel up, even one that is up now.
        {true, F::Yes, F::Yes, F::Yes, zero, L::Warning, R::TaskDisabled, H::Disabled},
        {true, F::Yes, F::Yes, F::No, one, L::Warning, R::TaskNotScheduled, H::NotScheduled},
        {true, F::Yes, F::Yes, F::Yes, never, L::Warning, R::LastRunNotStarted,
         H::LastRunNotStarted},
        {true, F::No, F::Yes, F::Yes, never, L::Critical, R::SchedulerNotRunning, H::Disabled},
    };
    for (const auto& c : cases) {
        const StatusVerdict v =
            JudgeStatus({c.client, c.scheduler, c.task, c.tunnel, c.lastRun, c.hindrance});
        EXPECT_EQ(std::make_pair(v.level, v.reason), std::make_pair(c.level, c.reason))
            << c.client << static_cast<int>(c.scheduler) << static_cast<int>(c.task)
            << static_cast<int>(c.tunnel);
    }
}

TEST(MaskedParameters, HidesEverythingAfterTheConnectorsPasswordOption) {
    ExpectTexts(MaskedParameters,
                {{"\"Office\" -u \"jo\" -p \"s3cret\"", "\"Office\" -u \"jo\" -p ***"},
                 {"\"Office\" -P \"a b\" -l C:\\f.log", "\"Office\" -P ***"},
                 {"\"Office\" -p", "\"Office\" -p ***"},
                 {"\"Office\" -u \"jo\"", "\"Office\" -u \"jo\""},
                 {"\"a-p\" -u \"-px\"", "\"a-p\" -u \"-px\""},
                 // What the connector reads as -p without a blank before it, or quoted.
                 {"\"Office\"-p \"secret\"", "\"Office\"-p ***"},
                 {"\"Office\" \"-P\"\"secret\"", "\"Office\" \"-P\"***"}});
    EXPECT_EQ(FormatRunTime(2026, 12, 8, 9, 5, 7), "2026-12-08 09:05:07");
}

}  // namespace
