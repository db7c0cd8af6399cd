#include "client_start.h"

#include <shellapi.h>

#include <utility>

#include "client_contract.h"

namespace {

// The room that both programs read the client's folder into, its terminator included.
constexpr DWORD kInstallPathBufferSize = 200;

}  // namespace

std::optional<std::string> LocateVpnClient() {
    RegistryKey key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kVpnClientKey, key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const auto folder = QueryRegistryText(key.get(), kVpnClientInstallPathValue,
                                          kInstallPathBufferSize);
    if (!folder) {
        return std::nullopt;
    }
    // A 199-character folder without its backslash still gets one: the path is not cut.
    return WithTrailingBackslash(*folder) + kVpnClientProgram;
}

VpnClientRequest::VpnClientRequest(std::string clientPath, std::string parameters)
    : m_clientPath(std::move(clientPath)), m_parameters(std::move(parameters)) {}

VpnClientRequest::~VpnClientRequest() {
    SecureZeroMemory(m_parameters.data(), m_parameters.size());
}

VpnClientRequest VpnClientRequest::WithParameters(std::string parameters) const {
    return VpnClientRequest(m_clientPath, std::move(parameters));
}

bool RunHasEnded(HANDLE process, DWORD& code) {
    if (code != STILL_ACTIVE) {
        return true;
    }
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
        return false;
    }
    GetExitCodeProcess(process, &code);
    return true;
}

UniqueHandle VpnClientRequest::Start() const {
    SHELLEXECUTEINFOA request{};
    request.cbSize = sizeof request;
    // The handle is needed for the exit code; a missing program must not raise the shell's
    // error dialog on an unattended machine.
    request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    request.hwnd = nullptr;
    request.lpVerb = nullptr;
    request.lpFile = m_clientPath.c_str();
    request.lpParameters = m_parameters.c_str();
    request.lpDirectory = "";
    request.nShow = SW_HIDE;
    if (!ShellExecuteExA(&request)) {
        return UniqueHandle();
    }
    return UniqueHandle(request.hProcess);
}
