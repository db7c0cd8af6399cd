#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "client_contract.h"
#include "exit_codes.h"

namespace {

struct NameCase {
    std::int32_t code;
    const char* name;
};

class ExitCodeNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ExitCodeNameTest, NamesCode) {
    EXPECT_STREQ(VpnClientExitCodeName(GetParam().code), GetParam().name) << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExitCodeNameTest,
    ::testing::Values(NameCase{1, "ERR_UNKNOWN"}, NameCase{10, "ERR_NO_PROFILE"},
                      NameCase{11, "ERR_PWD_MISMATCHED - Reserved"},
                      NameCase{33, "ERR_COMMUNICATION_TIMED_OUT"},
                      NameCase{36, "ERR_DAEMON_ALREADY_RUNNING"}, NameCase{200, "SUCCESS_START"},
                      NameCase{201, "SUCCESS_STOP"}, NameCase{202, "SUCCESS_STAT"},
                      NameCase{203, "SUCCESS_ENUMPPP"}, NameCase{0, "ERROR"},
                      NameCase{-1, "ERROR"}, NameCase{INT_MIN, "ERROR"}, NameCase{37, "ERROR"},
                      NameCase{199, "ERROR"}, NameCase{204, "ERROR"}, NameCase{259, "ERROR"},
                      NameCase{INT_MAX, "ERROR"}));

TEST(ExitCodeName, EveryDefinedCodeHasItsOwnName) {
    int named = 0;
    for (std::int32_t code = -5; code < 300; ++code) {
        if (std::string(VpnClientExitCodeName(code)) != "ERROR") ++named;
    }
    EXPECT_EQ(named, 40);
}

TEST(ClientContract, BackslashIsAddedOnlyWhenMissing) {
    EXPECT_EQ(WithTrailingBackslash("C:\\VPN"), "C:\\VPN\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\VPN\\"), "C:\\VPN\\");
    EXPECT_EQ(WithTrailingBackslash(std::string(199, 'a')), std::string(199, 'a') + "\\");
}

TEST(ClientContract, ConnectTextCarriesOnlyGivenCredentials) {
    EXPECT_EQ(BuildConnectText("Office VPN", "jo", "p w"),
              "connect \"Office VPN\" user \"jo\" pwd \"p w\"");
    EXPECT_EQ(BuildConnectText("Office", "", "pw"), "connect \"Office\" pwd \"pw\"");
    EXPECT_EQ(BuildConnectText("Office", "jo", ""), "connect \"Office\" user \"jo\"");
    EXPECT_EQ(BuildConnectText("Office", "", ""), "connect \"Office\"");
}

}  // namespace
