#include "logon_check.h"

#include <windows.h>

#include "win_handles.h"

namespace {

constexpr DWORD kUserNameBufferSize = 257;

class BatchLogonChecker final : public LogonChecker {
public:
    LogonOutcome TryBatchLogon(const std::string& user, const std::string& password) override {
        // The token only proves the logon; it is closed when this function returns.
        UniqueHandle token;
        if (LogonUserA(user.c_str(), nullptr, password.c_str(), LOGON32_LOGON_BATCH,
                       LOGON32_PROVIDER_DEFAULT, token.put())) {
            return LogonOutcome::Accepted;
        }
        return LogonOutcomeOfError(GetLastError());
    }
};

}  // namespace

LogonChecker& WindowsLogonChecker() {
    static BatchLogonChecker checker;
    return checker;
}

std::string LoggedOnUserName() {
    char name[kUserNameBufferSize] = {};
    DWORD size = kUserNameBufferSize;
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}
