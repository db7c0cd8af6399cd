#include "vpn_client_driver.h"

#include "client_contract.h"
#include "installed_client.h"
#include "win_handles.h"

namespace {

constexpr DWORD kPollIntervalMs = 300;

}  // namespace

DWORD WaitForExitCode(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    for (;;) {
        if (!GetExitCodeProcess(process, &code)) {
            return code;
        }
        Sleep(kPollIntervalMs);
        // A client that ended with the code 259 itself would otherwise be waited for
        // forever.
        if (RunHasEnded(process, code)) {
            return code;
        }
    }
}

int RunVpnClient(const std::string& clientPath, const std::string& parameters) {
    const UniqueHandle process = VpnClientRequest(clientPath, parameters).Start();
    if (!process) {
        return -1;
    }
    return static_cast<int>(WaitForExitCode(process.get()));
}
