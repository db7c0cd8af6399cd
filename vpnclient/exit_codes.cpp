#include "exit_codes.h"

namespace {

struct NamedExitCode {
    std::int32_t code;
    const char* name;
};

constexpr NamedExitCode kExitCodes[] = {
    {1, "ERR_UNKNOWN"},
    {2, "ERR_MISSING_COMMAND"},
    {3, "ERR_BAD_COMMAND"},
    {4, "ERR_MISSING_PARAMS"},
    {5, "ERR_BAD_PARAMS"},
    {6, "ERR_TOO_MANY_PARAMS"},
    {7, "ERR_NO_PARAMS_NEEDED"},
    {8, "ERR_ATTACH_FAILED"},
    {9, "ERR_DETACH_FAILED"},
    {10, "ERR_NO_PROFILE"},
    {11, "ERR_PWD_MISMATCHED - Reserved"},
    {12, "ERR_PWD_TOO_LONG"},
    {13, "ERR_TOO_MANY_TRIES"},
    {14, "ERR_START_FAILED"},
    {15, "ERR_STOP_FAILED"},
    {16, "ERR_STAT_FAILED"},
    {17, "ERR_ENUM_FAILED"},
    {18, "ERR_COMMUNICATION_FAILED"},
    {19, "ERR_SET_HANDLER_FAILED"},
    {20, "ERR_CLEAR_HANDLER_FAILED"},
    {21, "ERR_OUT_OF_MEMORY"},
    {22, "ERR_BAD_INTERFACE"},
    {23, "ERR_UNEXPECTED_CALLBACK"},
    {24, "ERR_DO_NOT_CONTINUE"},
    {25, "ERR_GUI_RUNNING"},
    {26, "ERR_SET_WORK_DIR_FAILED"},
    {27, "ERR_NOT_CONNECTED"},
    {28, "ERR_BAD_GROUP_NAME"},
    {29, "ERR_BAD_GROUP_PWD"},
    {30, "ERR_BAD_AUTHTYPE"},
    {31, "RESERVED_01"},
    {32, "RESERVED_02"},
    {33, "ERR_COMMUNICATION_TIMED_OUT"},
    {34, "ERR_BAD_3RD_PARTY_DIAL"},
    {35, "ERR_DAEMON_NOT_RUNNING"},
    {36, "ERR_DAEMON_ALREADY_RUNNING"},
    {200, "SUCCESS_START"},
    {201, "SUCCESS_STOP"},
    {202, "SUCCESS_STAT"},
    {203, "SUCCESS_ENUMPPP"},
};

}  // namespace

const char* VpnClientExitCodeName(std::int32_t code) noexcept {
    for (const auto& entry : kExitCodes) {
        if (entry.code == code) {
            return entry.name;
        }
    }
    return "ERROR";
}
