#include <gtest/gtest.h>

#include "command_line.h"

namespace {

using Tokens = std::vector<std::string>;

struct SplitCase {
    const char* text;
    Tokens tokens;  // without entry 0
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, YieldsTokensAfterFixedProgramName) {
    const auto args = SplitCommandLine(GetParam().text);
    ASSERT_FALSE(args.empty());
    EXPECT_EQ(args[0], "Ferrolink.exe");
    EXPECT_EQ(Tokens(args.begin() + 1, args.end()), GetParam().tokens) << "text: " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"", {}},
        SplitCase{"   ", {}},
        SplitCase{"\"Office VPN\" -u \"jo smith\" -p \"pa ss\"",
                  {"Office VPN", "-u", "jo smith", "-p", "pa ss"}},
        SplitCase{"a  b", {"a", "b"}},
        SplitCase{"\"abc\"def", {"abc", "def"}},
        SplitCase{"\"\" x", {"", "x"}},
        SplitCase{"ab\"cd ef", {"ab\"cd", "ef"}},
        SplitCase{"\"open ended", {"open ended"}},
        SplitCase{"a \"", {"a", ""}},
        SplitCase{"tab\there", {"tab\there"}},
        SplitCase{"x   ", {"x"}},
        SplitCase{"\"q\"   ", {"q"}}));

TEST(SplitCommandLine, KeepsEveryTokenBeyondNineteen) {
    std::string text;
    for (int i = 0; i < 40; ++i) text += "t" + std::to_string(i) + " ";
    const auto args = SplitCommandLine(text.c_str());
    ASSERT_EQ(args.size(), 41u);
    EXPECT_EQ(args[40], "t39");
}

TEST(CommandLineAfterProgramName, SkipsNameAsTheWindowsRuntimeDoes) {
    const struct {
        const char* commandLine;
        const char* rest;
    } cases[] = {
        {"\"C:\\Program Files\\F.exe\" \"Office\" -u x", "\"Office\" -u x"},
        {"\"C:\\a b\\F.exe\"Office -u x", "Office -u x"},
        {"C:\\F.exe\t \x01Office", "Office"},
        {"\"C:\\unclosed", ""},
        {"F.exe", ""},
        {"F.exe   ", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(CommandLineAfterProgramName(c.commandLine), c.rest) << c.commandLine;
    }
}

struct ParseCase {
    const char* text;
    int result;
    ConnectorOptions expected;
};

class ParseOptionsTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseOptionsTest, FillsOptionsAndJudgesCommandLine) {
    ConnectorOptions options;
    EXPECT_EQ(ParseOptions(SplitCommandLine(GetParam().text), options), GetParam().result);
    const ConnectorOptions& want = GetParam().expected;
    EXPECT_EQ(options.profile, want.profile);
    EXPECT_EQ(options.user, want.user);
    EXPECT_EQ(options.password, want.password);
    EXPECT_EQ(options.logFile, want.logFile);
    EXPECT_EQ(options.iValue, want.iValue);
}

// Fields: profile, user, password, logFile, iValue.
INSTANTIATE_TEST_SUITE_P(
    Grammar, ParseOptionsTest,
    ::testing::Values(
        ParseCase{"", 0, {}},
        ParseCase{"\"Office\" -u \"jo\" -p \"pw\"", 0, {"Office", "jo", "pw", "", ""}},
        ParseCase{"Office -U jo -P pw -L c:\\f.log -I 5", 0, {"Office", "jo", "pw", "c:\\f.log", "5"}},
        ParseCase{"Office -u", 1, {"Office", "", "", "", ""}},
        ParseCase{"Office -u /x", 1, {"Office", "", "", "", ""}},
        ParseCase{"/Office -u x", 0, {"/Office", "x", "", "", ""}},
        ParseCase{"-Office -u -p", 0, {"-Office", "-p", "", "", ""}},
        ParseCase{"Office -u -p -p pw", 0, {"Office", "-p", "pw", "", ""}},
        ParseCase{"Office Other", 1, {"Office", "", "", "", ""}},
        ParseCase{"\"\" Other", 0, {"Other", "", "", "", ""}},
        ParseCase{"Office -u a -u b", 0, {"Office", "b", "", "", ""}},
        ParseCase{"Office -u \"\"", 0, {"Office", "", "", "", ""}},
        ParseCase{"Office -uu x", 1, {"Office", "", "", "", ""}},
        ParseCase{"-l c:\\a.log bad1 bad2", 1, {"bad1", "", "", "c:\\a.log", ""}},
        ParseCase{"Office -i", 1, {"Office", "", "", "", ""}},
        ParseCase{"Office -i /5", 1, {"Office", "", "", "", ""}}));

}  // namespace
