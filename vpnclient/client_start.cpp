#include "client_start.h"

#include <shellapi.h>

#include <utility>

VpnClientRequest::VpnClientRequest(std::string clientPath, std::string parameters)
    : m_clientPath(std::move(clientPath)), m_parameters(std::move(parameters)) {}

VpnClientRequest::~VpnClientRequest() {
    SecureZeroMemory(m_parameters.data(), m_parameters.size());
}

VpnClientRequest VpnClientRequest::WithParameters(std::string parameters) const {
    return VpnClientRequest(m_clientPath, std::move(parameters));
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
