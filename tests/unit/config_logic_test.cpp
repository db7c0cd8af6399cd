#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "config_logic.h"
#include "resource.h"
#include "test_outcome.h"

namespace {

TEST(ProfileNameFromFileName, CutsBeforeTheLastDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"Office.pcf", "Office"}, {"a.b.pcf", "a.b"}, {".pcf", ""}, {"NoDot", "NoDot"}, {"", ""}};
    for (const auto& [fileName, profile] : cases) {
        EXPECT_EQ(ProfileNameFromFileName(fileName), profile) << fileName;
    }
}

TEST(LeadingInteger, ReadsAsPercentDReads) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {" 15 minutes", 15},       {"\t\n\v\f\r 7", 7},   {"-3x", -3},
        {"+7", 7},                 {"disable checks", {}}, {"", {}},
        {"   ", {}},               {"-", {}},              {"+ 7", {}},
        {"2147483647", INT_MAX},   {"-2147483648", INT_MIN}, {"2147483648 minutes", INT_MAX},
        {"-2147483649", INT_MIN},  {"99999999999999999999999", INT_MAX},
        {"-99999999999999999999999", INT_MIN}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(LeadingInteger(text), value) << '"' << text << '"';
    }
}

TEST(LastAccountPiece, KeepsTheLastNonEmptyPiece) {
    const std::pair<const char*, const char*> cases[] = {
        {"DOMAIN\\user", "user"}, {"DOMAIN\\user\\\\", "user"}, {"user", "user"},
        {"\\user", "user"},       {"\\\\\\", ""},               {"", ""}};
    for (const auto& [account, piece] : cases) {
        EXPECT_EQ(LastAccountPiece(account), piece) << account;
    }
}

// The main dialog selects a stored interval ("%d" text) and a stored profile by this rule.
TEST(FindItemByPrefix, FindsTheFirstItemBeginningWithThePrefixIgnoringCase) {
    const std::vector<std::string> intervals = {"1 minute", "6 minutes", "10 minutes",
                                                "60 minutes", "disable checks"};
    const std::vector<std::string> profiles = {"Branch", "office2", "Office", "OFFICE3"};
    const struct { const std::vector<std::string>& items; const char* prefix; int index; } cases[] = {
        {intervals, "1", 0},     {intervals, "6", 1},        {intervals, "10", 2},
        {intervals, "60", 3},    {intervals, "12", -1},      {intervals, "-5", -1},
        {profiles, "Office", 1}, {profiles, "OFFICE3", 3},   {profiles, "branch", 0},
        {profiles, "Office35", -1}, {profiles, "", 0},       {{}, "Office", -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(FindItemByPrefix(c.items, c.prefix), c.index) << c.prefix;
    }
}

// The connector's command line in the work item: each value quoted as it is, an empty user
// name or password leaving out its option; a value with a double quote is refused before.
TEST(BuildTaskParameters, QuotesTheProfileAndAddsOnlyTheCredentialsGiven) {
    const struct { const char *profile, *user, *password, *parameters; } cases[] = {
        {"Branch", "vpnuser", "", "\"Branch\" -u \"vpnuser\""},
        {"Branch", "", "s3cret", "\"Branch\" -p \"s3cret\""},
        {"Home Office", "DOM\\jo", "p w", "\"Home Office\" -u \"DOM\\jo\" -p \"p w\""},
        {"", "", "", "\"\""}};
    for (const auto& c : cases) {
        EXPECT_EQ(BuildTaskParameters(c.profile, c.user, c.password), c.parameters) << c.profile;
    }
    for (const auto& [text, found] : {std::pair{"", false}, {"plain text", false}, {"\"", true},
                                      {"ab\"c", true}, {"end\"", true}}) {
        EXPECT_EQ(HasDoubleQuote(text), found) << text;
    }
}

// The connector in the settings key's folder, one backslash between; the bare file name
// without a folder; nothing rather than a name cut short.
TEST(BuildConnectorPath, JoinsTheFolderAndRefusesANameThatDoesNotFit) {
    const std::string deep(385, 'd');  // with "\Ferrolink.exe": 399 characters
    const struct { std::optional<std::string> folder, path; } cases[] = {
        {"C:\\Prog\\FL", "C:\\Prog\\FL\\Ferrolink.exe"},
        {"C:\\Prog\\FL\\", "C:\\Prog\\FL\\Ferrolink.exe"},
        {"", "\\Ferrolink.exe"},
        {std::nullopt, "Ferrolink.exe"},
        {deep, deep + "\\Ferrolink.exe"},
        {deep + "\\", deep + "\\Ferrolink.exe"},
        {deep + "d", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(BuildConnectorPath(c.folder, 399), c.path) << c.folder.value_or("(none)").size();
    }
}

// Only the two errors that say the test may not be made (access denied, privilege not held)
// let a pair through unchecked; a wrong password, a missing right or no reason refuse it.
TEST(LogonOutcomeOfError, OnlyMissingRightsCountAsNotAllowedToTest) {
    const std::pair<unsigned long, LogonOutcome> cases[] = {
        {5, LogonOutcome::NotAllowedToTest}, {1314, LogonOutcome::NotAllowedToTest},
        {1326, LogonOutcome::Rejected},      {1385, LogonOutcome::Rejected},
        {1313, LogonOutcome::Rejected},      {0, LogonOutcome::Rejected},
        {4, LogonOutcome::Rejected},         {6, LogonOutcome::Rejected}};
    for (const auto& [error, outcome] : cases) {
        EXPECT_EQ(LogonOutcomeOfError(error), outcome) << error;
    }
}

// Waiting while the run goes on; success only for 200; any other end (a client not started
// gives 0, one that ended with 259 itself, a crash) fails and names its code.
TEST(TestOutcomeFor, ChoosesStateTextIconAndOkFromTheExitCode) {
    const auto failed = [](const char* name) {
        return std::make_tuple(TestState::Failed, unsigned{IDS_TEST_FAILED}, IDC_TEST_FAILED_ICON,
                               true, std::string(name));
    };
    const struct { bool ended; std::uint32_t code; std::tuple<TestState, unsigned, int, bool, std::string> want; }
        cases[] = {
            {false, 259, {TestState::Waiting, 0, IDC_TEST_WAITING_ICON, false, ""}},
            {true, 200, {TestState::Succeeded, IDS_TEST_SUCCEEDED, IDC_TEST_SUCCEEDED_ICON, true, ""}},
            {true, 14, failed("ERR_START_FAILED")}, {true, 201, failed("SUCCESS_STOP")},
            {true, 0, failed("ERROR")},             {true, 77, failed("ERROR")},
            {true, 259, failed("ERROR")},           {true, 0xC0000005u, failed("ERROR")}};
    for (const auto& c : cases) {
        const TestOutcome o = TestOutcomeFor(c.ended, c.code);
        EXPECT_EQ(std::make_tuple(o.state, o.textId, o.iconControlId, o.okEnabled,
                                  std::string(o.codeName)), c.want) << c.code;
    }
}

}  // namespace
