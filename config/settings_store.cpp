#include "settings_store.h"

#include <windows.h>

#include <cstring>

#include "win_handles.h"

namespace {

// Room for a setting's text, its terminating NUL included: a text of 399 characters fits.
constexpr DWORD kTextBufferSize = 400;

constexpr const char* kProfileValue = "Profile";
constexpr const char* kIntervalValue = "Interval";
constexpr const char* kProfileUserValue = "ProfileUsername";
constexpr const char* kProfilePasswordValue = "ProfilePassword";

RegistryKey OpenSettingsKey() {
    RegistryKey key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, key.put()) != ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

// Writes the text up to its first NUL and that NUL: an empty text is a REG_SZ of one byte.
void WriteText(HKEY key, const char* name, const std::optional<std::string>& text) {
    const char* value = text ? text->c_str() : "";
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(std::strlen(value) + 1));
}

}  // namespace

ConnectorSettings LoadSettings() {
    ConnectorSettings settings;
    const RegistryKey key = OpenSettingsKey();
    if (!key) {
        return settings;
    }
    // Each read has its own buffer of the full size: a value that did not fit does not
    // shrink the room of the next one.
    settings.profileName = QueryRegistryText(key.get(), kProfileValue, kTextBufferSize);
    if (const auto interval = QueryRegistryDword(key.get(), kIntervalValue)) {
        settings.intervalMinutes = static_cast<std::int32_t>(*interval);
    }
    settings.profileUser = QueryRegistryText(key.get(), kProfileUserValue, kTextBufferSize);
    settings.profilePassword =
        QueryRegistryText(key.get(), kProfilePasswordValue, kTextBufferSize);
    return settings;
}

long SaveSettings(const ConnectorSettings& settings) {
    RegistryKey key;
    const LONG created = RegCreateKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, key.put());
    if (created != ERROR_SUCCESS) {
        key.reset();
        return created;
    }
    WriteText(key.get(), kProfileValue, settings.profileName);
    const DWORD interval = static_cast<DWORD>(settings.intervalMinutes.value_or(0));
    RegSetValueExA(key.get(), kIntervalValue, 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&interval), sizeof interval);
    WriteText(key.get(), kProfileUserValue, settings.profileUser);
    WriteText(key.get(), kProfilePasswordValue, settings.profilePassword);
    return 0;
}

std::optional<std::string> ReadSettingsText(const char* valueName, unsigned long bufferSize) {
    const RegistryKey key = OpenSettingsKey();
    if (!key) {
        return std::nullopt;
    }
    return QueryRegistryText(key.get(), valueName, bufferSize);
}
