#pragma once
// How both programs start the VPN client's command-line program: through the shell, hidden,
// without the shell's error dialog, with an empty working directory, and with the process
// handle handed back so that the caller can poll the run's exit code. Windows only.
#include <windows.h>

#include <string>

#include "win_handles.h"

class VpnClientRequest {
public:
    // A run of `clientPath` (the full path of vpnclient.exe) with `parameters` (a command
    // text of the client, passed as it is).
    VpnClientRequest(std::string clientPath, std::string parameters);
    // The parameters may hold a password: they are wiped when the request goes.
    ~VpnClientRequest();
    VpnClientRequest(const VpnClientRequest& other) = default;
    VpnClientRequest& operator=(const VpnClientRequest&) = delete;

    // The same run (program, window, directory, mask) with other parameters; a test's
    // disconnect run is the copy of its connect run.
    VpnClientRequest WithParameters(std::string parameters) const;

    // Starts the run without waiting for it. Gives the process handle, or an empty handle when
    // the shell could not start the program or gave no process.
    [[nodiscard]] UniqueHandle Start() const;

private:
    std::string m_clientPath;
    std::string m_parameters;
};
