#pragma once
// The configuration program's settings, kept in HKEY_LOCAL_MACHINE "Software\Halvane\Ferrolink"
// as ANSI text so that the main dialog shows the last choices again.
#include <cstdint>
#include <optional>
#include <string>

#include "secret_string.h"

inline constexpr const char* kSettingsKey = "Software\\Halvane\\Ferrolink";

// The settings key's access list: full control for SYSTEM and the Administrators group only,
// inherited by any subkey. Protected, so that the access of Users under HKLM\Software does not
// flow in: the key holds the profile password in plain text.
inline constexpr const char* kSettingsKeySecurity = "D:P(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)";

// The four settings that the main dialog edits. On load, a field that could not be read has
// no value at all (not an empty one).
struct ConnectorSettings {
    std::optional<std::string> profileName;      // "Profile", REG_SZ, read into 400 bytes
    std::optional<std::int32_t> intervalMinutes; // "Interval", REG_DWORD, read into 4 bytes
    std::optional<std::string> profileUser;      // "ProfileUsername", REG_SZ, 400 bytes
    std::optional<SecretString>
        profilePassword;  // "ProfilePassword", REG_SZ, plain text, 400 bytes
};

// Reads the four settings. Never fails as a whole: a missing key, or a value that is missing
// or does not fit its buffer, leaves its field absent.
ConnectorSettings LoadSettings();

// Creates or opens the key and writes the four values in the order Profile, Interval,
// ProfileUsername, ProfilePassword (absent fields are written as empty texts or 0; an empty
// text is a one-byte REG_SZ). A key that this creates gets kSettingsKeySecurity before any
// value goes into it; one that cannot be given it is deleted again. Returns 0, or the Windows
// error code of the failed key creation or protection, or of the first value not written.
long SaveSettings(const ConnectorSettings& settings);

// The index of the work item's trigger that the last OK made ("TriggerID", REG_DWORD);
// nothing when it cannot be read.
std::optional<std::uint32_t> LoadTriggerId();

// Stores the trigger's index, creating the key as SaveSettings does; a key that cannot be
// opened is skipped without notice.
void SaveTriggerId(std::uint32_t index);

// Gives the settings key, created when it is missing, the access list kSettingsKeySecurity:
// the setup's step, which also protects a key that an earlier version left open. Returns 0 or
// the Windows error code.
long ProtectSettingsKey();

// Reads another text value of the settings key ("HelpFile", "InstallPath") into a buffer of
// `bufferSize` bytes; nothing when the key or the value cannot be read or it does not fit.
std::optional<std::string> ReadSettingsText(const char* valueName, unsigned long bufferSize);
