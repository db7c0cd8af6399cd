#pragma once
#include <string>

// What both programs rely on of the installed VPN client: its registry key (read only),
// its command texts and the folder of its connection profiles.

// HKEY_LOCAL_MACHINE subkey of the VPN client.
inline constexpr const char* kVpnClientKey = "Software\\Cisco Systems\\VPN Client";
inline constexpr const char* kVpnClientInstallPathValue = "InstallPath";
inline constexpr const char* kVpnClientTunnelValue = "TunnelEstablished";
inline constexpr const char* kVpnClientProgram = "vpnclient.exe";
inline constexpr const char* kStatCommand = "stat";
inline constexpr const char* kDisconnectCommand = "disconnect";

// Returns the folder text with exactly one backslash appended unless it already ends in one.
std::string WithTrailingBackslash(const std::string& folder);

// Builds the connect command's parameters: connect "profile", then user "..." when the user
// name is not empty, then pwd "..." when the password is not empty. Values are inserted as
// they are, but for the backslashes at a value's end, which are doubled: the client is a
// Windows C program, whose start-up reads n backslashes before a quote as n / 2 of them (and
// the quote as text when n is odd), so a password "abc\" must stand as "abc\\". The client
// receives the password in plain text.
std::string BuildConnectText(const std::string& profile, const std::string& user,
                             const std::string& password);

// A profile's name from its ".pcf" file name: the name cut before its last ".". A name
// without a dot is taken whole.
std::string ProfileNameFromFileName(const std::string& fileName);


// True when `fileName` ends in ".pcf", in any case: the name of a profile file.
bool IsProfileFileName(const std::string& fileName);
