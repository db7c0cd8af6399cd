#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
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
        {" 15 minutes", 15},
        {"\t\n\v\f\r 7", 7},
        {"-3x", -3},
        {"+7", 7},
        {"disable checks", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"+ 7", std::nullopt},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648 minutes", INT_MAX},
        {"-2147483649", INT_MIN},
        {"99999999999999999999999", INT_MAX},
        {"-99999999999999999999999", INT_MIN},
    };
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
    const std::vector<std::string> intervals = {
        "1 minute",   "2 minutes",  "3 minutes",  "4 minutes",  "5 minutes",  "6 minutes",
        "7 minutes",  "8 minutes",  "9 minutes",  "10 minutes", "15 minutes", "20 minutes",
        "30 minutes", "45 minutes", "60 minutes", "disable checks"};
    const std::vector<std::string> profiles = {"Branch", "office2", "Office", "OFFICE3"};
    const std::vector<std::string> none;
    const struct {
        const std::vector<std::string>& items;
        const char* prefix;
        int index;
    } cases[] = {
        {intervals, "1", 0},     {intervals, "6", 5},        {intervals, "10", 9},
        {intervals, "60", 14},   {intervals, "12", -1},      {intervals, "0", -1},
        {intervals, "-5", -1},   {profiles, "Office", 1},    {profiles, "OFFICE3", 3},
        {profiles, "branch", 0}, {profiles, "Office35", -1}, {profiles, "", 0},
        {none, "Office", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindItemByPrefix(c.items, c.prefix), c.index) << c.prefix;
    }
}

// The connector's command line in the work item: each value quoted as it is, an empty user
// name or password leaving out its option.
TEST(BuildTaskParameters, QuotesTheProfileAndAddsOnlyTheCredentialsGiven) {
    const struct { const char *profile, *user, *password, *parameters; } cases[] = {
        {"Branch", "vpnuser", "", "\"Branch\" -u \"vpnuser\""},
        {"Branch", "", "s3cret", "\"Branch\" -p \"s3cret\""},
        {"Home Office", "DOM\\jo", "p w", "\"Home Office\" -u \"DOM\\jo\" -p \"p w\""},
        {"Home", "", "", "\"Home\""},
        {"", "", "", "\"\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildTaskParameters(c.profile, c.user, c.password), c.parameters) << c.profile;
    }
}

// The connector in the settings key's folder, one backslash between; the bare file name
// without a folder; nothing rather than a name cut short.
TEST(BuildConnectorPath, JoinsTheFolderAndRefusesANameThatDoesNotFit) {
    const std::string deep(385, 'd');  // with "\Ferrolink.exe": 399 characters
    const struct { std::optional<std::string> folder; std::optional<std::string> path; } cases[] = {
        {"C:\\Prog\\FL", "C:\\Prog\\FL\\Ferrolink.exe"},
        {"C:\\Prog\\FL\\", "C:\\Prog\\FL\\Ferrolink.exe"},
        {"", "\\Ferrolink.exe"},
        {std::nullopt, "Ferrolink.exe"},
        {deep, deep + "\\Ferrolink.exe"},
        {deep + "\\", deep + "\\Ferrolink.exe"},
        {deep + "d", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildConnectorPath(c.folder, 399), c.path) << c.folder.value_or("(none)").size();
    }
}

TEST(HasDoubleQuote, FindsAQuoteAnywhere) {
    const std::pair<const char*, bool> cases[] = {
        {"", false}, {"plain text", false}, {"\"", true}, {"ab\"c", true}, {"end\"", true}};
    for (const auto& [text, found] : cases) {
        EXPECT_EQ(HasDoubleQuote(text), found) << text;
    }
}

// Only the two errors that say the test may not be made let a pair through unchecked.
TEST(LogonOutcomeOfError, OnlyMissingRightsCountAsNotAllowedToTest) {
    const std::pair<unsigned long, LogonOutcome> cases[] = {
        {5, LogonOutcome::NotAllowedToTest},     // ERROR_ACCESS_DENIED
        {1314, LogonOutcome::NotAllowedToTest},  // ERROR_PRIVILEGE_NOT_HELD
        {1326, LogonOutcome::Rejected},          // ERROR_LOGON_FAILURE: wrong name or password
        {1385, LogonOutcome::Rejected},          // ERROR_LOGON_TYPE_NOT_GRANTED: no batch right
        {1331, LogonOutcome::Rejected},          // ERROR_ACCOUNT_DISABLED
        {1313, LogonOutcome::Rejected},          // ERROR_NO_SUCH_PRIVILEGE, next to 1314
        {0, LogonOutcome::Rejected},             // a failure that names no reason
        {4, LogonOutcome::Rejected},
        {6, LogonOutcome::Rejected},
    };
    for (const auto& [error, outcome] : cases) {
        EXPECT_EQ(LogonOutcomeOfError(error), outcome) << error;
    }
}

TEST(TestOutcomeFor, ChoosesStateTextIconAndOkFromTheExitCode) {
    const struct {
        bool ended;
        std::uint32_t code;
        TestState state;
        unsigned textId;
        int icon;
        bool okEnabled;
        const char* name;
    } cases[] = {
        {false, 259, TestState::Waiting, 0, IDC_TEST_WAITING_ICON, false, ""},
        {true, 200, TestState::Succeeded, IDS_TEST_SUCCEEDED, IDC_TEST_SUCCEEDED_ICON, true, ""},
        {true, 14, TestState::Failed, IDS_TEST_FAILED, IDC_TEST_FAILED_ICON, true, "ERR_START_FAILED"},
        {true, 201, TestState::Failed, IDS_TEST_FAILED, IDC_TEST_FAILED_ICON, true, "SUCCESS_STOP"},
        // A client that could not be started, a code without a name, one that ended with the
        // running code itself, and a crash's code.
        {true, 0, TestState::Failed, IDS_TEST_FAILED, IDC_TEST_FAILED_ICON, true, "ERROR"},
        {true, 77, TestState::Failed, IDS_TEST_FAILED, IDC_TEST_FAILED_ICON, true, "ERROR"},
        {true, 259, TestState::Failed, IDS_TEST_FAILED, IDC_TEST_FAILED_ICON, true, "ERROR"},
        {true, 0xC0000005u, TestState::Failed, IDS_TEST_FAILED, IDC_TEST_FAILED_ICON, true, "ERROR"},
    };
    for (const auto& c : cases) {
        const TestOutcome outcome = TestOutcomeFor(c.ended, c.code);
        EXPECT_EQ(outcome.state, c.state) << c.code;
        EXPECT_EQ(outcome.textId, c.textId) << c.code;
        EXPECT_EQ(outcome.iconControlId, c.icon) << c.code;
        EXPECT_EQ(outcome.okEnabled, c.okEnabled) << c.code;
        EXPECT_STREQ(outcome.codeName, c.name) << c.code;
    }
}

}  // namespace
