#pragma once
// How both programs start the VPN client's command-line program: through the shell, hidden,
// without the shell's error dialog, with an empty working directory, and with the process
// handle handed back so that the caller can poll the run's exit code. Windows only.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "secret_string.h"
#include "win_handles.h"

// The client's key "Software\Cisco Systems\VPN Client" under HKEY_LOCAL_MACHINE, opened for
// reading: in the program's own registry view when it is there, otherwise in the other view of
// a 64-bit Windows (a 32-bit program finds a 64-bit client's key, a 64-bit program a 32-bit
// client's). Every value of the client is read through this key, so all come from one view.
// Empty when neither view holds the key.
RegistryKey OpenVpnClientKey();

// The client's "TunnelEstablished" from its key (OpenVpnClientKey): nonzero while the tunnel is
// up; nothing when the key or the value cannot be read.
std::optional<DWORD> ReadTunnelFlag();

// The room, terminator included, in which both programs read the client's folder: a Windows
// path of up to 259 characters fits.
inline constexpr DWORD kClientFolderRoom = 400;

// The client's folder, its "InstallPath" read into kClientFolderRoom bytes; nothing when the
// client's key or that value cannot be read or the value does not fit.
std::optional<std::string> ReadVpnClientFolder();

// Path of vpnclient.exe in the client's folder `folder`, with one backslash between them.
std::string VpnClientIn(const std::string& folder);

// VpnClientIn of the folder that ReadVpnClientFolder reads, or nothing when it cannot be read.
std::optional<std::string> LocateVpnClient();

// The names of the VPN client's profiles in its folder (with its trailing backslash), in the
// file system's order: each ".pcf" file's name without its extension.
std::vector<std::string> ListVpnProfiles(const std::string& installFolder);

class VpnClientRequest {
public:
    // A run of `clientPath` (the full path of vpnclient.exe) with `parameters` (a command
    // text of the client, passed as it is).
    VpnClientRequest(std::string clientPath, std::string parameters);
    // The parameters may hold a password: they wipe themselves when the request goes.
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
    SecretString m_parameters;
};

// Whether the run of `process` has ended, given the exit code `code` just read from it; on an
// end, `code` is its final exit code. A client may itself end with the code of a running
// process (259), so for that code the process handle decides.
bool RunHasEnded(HANDLE process, DWORD& code);
