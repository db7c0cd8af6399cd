#pragma once
#include <cstdint>

// The exit codes with which the VPN client's command-line program ends its commands.
enum VpnClientExitCode : std::int32_t {
    ERR_UNKNOWN = 1,
    ERR_NOT_CONNECTED = 27,
    SUCCESS_START = 200,
    SUCCESS_STOP = 201,
    SUCCESS_STAT = 202,
    SUCCESS_ENUMPPP = 203,
};

// Returns the name of a VPN client exit code, or "ERROR" for a code that the client does
// not define. The text is constant; the caller neither changes nor releases it.
const char* VpnClientExitCodeName(std::int32_t code) noexcept;
