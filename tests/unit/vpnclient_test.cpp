#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "client_contract.h"
#include "exit_codes.h"

namespace {

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

TEST(ClientContract, ConnectTextAndClientFolder) {
    const struct { const char *profile, *user, *password, *text; } cases[] = {
        {"Office VPN", "jo", "p w", "connect \"Office VPN\" user \"jo\" pwd \"p w\""},
        {"Office", "", "pw", "connect \"Office\" pwd \"pw\""},
        {"Office", "jo", "", "connect \"Office\" user \"jo\""},
        {"Office", "", "", "connect \"Office\""}};
    for (const auto& c : cases) {
        EXPECT_EQ(BuildConnectText(c.profile, c.user, c.password), c.text);
    }
    EXPECT_EQ(WithTrailingBackslash("C:\\VPN"), "C:\\VPN\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\VPN\\"), "C:\\VPN\\");
}

}  // namespace
