#include "installed_client.h"

#include <shellapi.h>

#include <utility>

#include "client_contract.h"

namespace {

// The view that the program does not see by itself: a 32-bit program on 64-bit Windows sees
// the 32-bit view, a 64-bit program the 64-bit one. 32-bit Windows, XP included, has one view
// and ignores the flag, so the second attempt there opens the same key as the first.
constexpr REGSAM kOtherRegistryView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

}  // namespace

RegistryKey OpenVpnClientKey() {
    RegistryKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVpnClientKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
        return key;
    }
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVpnClientKey, 0, KEY_READ | kOtherRegistryView,
                      key.put()) != ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

std::optional<DWORD> ReadTunnelFlag() {
    const RegistryKey key = OpenVpnClientKey();
    if (!key) {
        return std::nullopt;
    }
    return QueryRegistryDword(key.get(), kVpnClientTunnelValue);
}

std::optional<std::string> ReadVpnClientFolder() {
    const RegistryKey key = OpenVpnClientKey();
    if (!key) {
        return std::nullopt;
    }
    return QueryRegistryText(key.get(), kVpnClientInstallPathValue, kClientFolderRoom);
}

std::string VpnClientIn(const std::string& folder) {
    // A folder that fills the room without its backslash still gets one: the path is not cut.
    return WithTrailingBackslash(folder) + kVpnClientProgram;
}

std::optional<std::string> LocateVpnClient() {
    const auto folder = ReadVpnClientFolder();
    if (!folder) {
        return std::nullopt;
    }
    return VpnClientIn(*folder);
}

VpnClientRequest::VpnClientRequest(std::string clientPath, std::string parameters)
    : m_clientPath(std::move(clientPath)), m_parameters(std::move(parameters)) {}

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

std::vector<std::string> ListVpnProfiles(const std::string& installFolder) {
    std::vector<std::string> profiles;
    const std::string pattern = installFolder + "profiles\\*.pcf";
    WIN32_FIND_DATAA found{};
    const UniqueFind search(FindFirstFileA(pattern.c_str(), &found));
    if (!search) {
        return profiles;
    }
    // The pattern also matches folders, and on a volume with short names a file whose short
    // name ends in ".PCF" ("Office.pcfold"): only files whose own name ends in ".pcf" count.
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            IsProfileFileName(found.cFileName)) {
            profiles.push_back(ProfileNameFromFileName(found.cFileName));
        }
    } while (FindNextFileA(search.get(), &found));
    return profiles;
}
