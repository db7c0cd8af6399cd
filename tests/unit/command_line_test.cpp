#include <gtest/gtest.h>

#include <tuple>

#include "command_line.h"

namespace {

using Tokens = std::vector<std::string>;

TEST(SplitCommandLine, YieldsTheTokensAfterTheFixedProgramName) {
    const struct { const char* text; Tokens tokens; } cases[] = {
        {"", {}},
        {"   ", {}},
        {"\"Office VPN\" -u \"jo smith\" -p \"pa ss\"", {"Office VPN", "-u", "jo smith", "-p", "pa ss"}},
        {"a  b", {"a", "b"}},
        {"\"abc\"def", {"abc", "def"}},
        {"\"\" x", {"", "x"}},
        {"ab\"cd ef", {"ab\"cd", "ef"}},
        {"\"open ended", {"open ended"}},
        {"a \"", {"a", ""}},
        {"tab\there", {"tab\there"}},
        {"x   ", {"x"}},
        {"\"q\"   ", {"q"}}};
    for (const auto& c : cases) {
        Tokens want{"Ferrolink.exe"};
        want.insert(want.end(), c.tokens.begin(), c.tokens.end());
        EXPECT_EQ(SplitCommandLine(c.text), want) << c.text;
    }
    std::string many;
    for (int i = 0; i < 40; ++i) many += "t" + std::to_string(i) + " ";
    const auto args = SplitCommandLine(many.c_str());
    ASSERT_EQ(args.size(), 41u);
    EXPECT_EQ(args[40], "t39");
}

TEST(CommandLineAfterProgramName, SkipsTheNameAsTheWindowsRuntimeDoes) {
    const struct { const char *commandLine, *rest; } cases[] = {
        {"\"C:\\Program Files\\F.exe\" \"Office\" -u x", "\"Office\" -u x"},
        {"\"C:\\a b\\F.exe\"Office -u x", "Office -u x"},
        {"C:\\F.exe\t \x01Office", "Office"},
        {"\"C:\\unclosed", ""},
        {"F.exe   ", ""},
        {"", ""}};
    for (const auto& c : cases) {
        EXPECT_STREQ(CommandLineAfterProgramName(c.commandLine), c.rest) << c.commandLine;
    }
}

// Fields: profile, user, password, logFile, iValue.
TEST(ParseOptions, FillsTheOptionsAndJudgesTheCommandLine) {
    const struct { const char* text; int result; ConnectorOptions want; } cases[] = {
        {"", 0, {}},
        {"\"Office\" -u \"jo\" -p \"pw\"", 0, {"Office", "jo", "pw", "", ""}},
        {"Office -U jo -P pw -L c:\\f.log -I 5", 0, {"Office", "jo", "pw", "c:\\f.log", "5"}},
        {"Office -u", 1, {"Office", "", "", "", ""}},
        {"Office -u /x", 1, {"Office", "", "", "", ""}},
        {"/Office -u x", 0, {"/Office", "x", "", "", ""}},
        {"-Office -u -p", 0, {"-Office", "-p", "", "", ""}},
        {"Office -u -p -p pw", 0, {"Office", "-p", "pw", "", ""}},
        {"Office Other", 1, {"Office", "", "", "", ""}},
        {"\"\" Other", 0, {"Other", "", "", "", ""}},
        {"Office -u a -u b", 0, {"Office", "b", "", "", ""}},
        {"Office -u \"\"", 0, {"Office", "", "", "", ""}},
        {"Office -uu x", 1, {"Office", "", "", "", ""}},
        {"-l c:\\a.log bad1 bad2", 1, {"bad1", "", "", "c:\\a.log", ""}},
        {"Office -i", 1, {"Office", "", "", "", ""}},
        {"Office -i /5", 1, {"Office", "", "", "", ""}}};
    for (const auto& c : cases) {
        ConnectorOptions got;
        EXPECT_EQ(ParseOptions(SplitCommandLine(c.text), got), c.result) << c.text;
        EXPECT_EQ(std::tie(got.profile, got.user, got.password, got.logFile, got.iValue),
                  std::tie(c.want.profile, c.want.user, c.want.password, c.want.logFile,
                           c.want.iValue))
            << c.text;
    }
}

}  // namespace
