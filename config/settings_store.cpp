#include "settings_store.h"
#include "task_parameters.h"

#include <windows.h>

#include <cstring>

#include "win_handles.h"

namespace {

// Room for a setting's text, its terminating NUL included: a text of 399 characters fits.
constexpr DWORD kTextBufferSize = kLongestValue + 1;

constexpr const char* kProfileValue = "Profile";
constexpr const char* kIntervalValue = "Interval";
constexpr const char* kProfileUserValue = "ProfileUsername";
constexpr const char* kProfilePasswordValue = "ProfilePassword";
constexpr const char* kTriggerIdValue = "TriggerID";

RegistryKey OpenSettingsKey() {
    RegistryKey key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSettingsKey, key.put()) != ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

// Sets the access list kSettingsKeySecurity on `key`, opened with WRITE_DAC.
LONG SetAdministratorsOnly(HKEY key) {
    const LocalMemory descriptor = DescriptorFromSddl(kSettingsKeySecurity);
    if (!descriptor) {
        return static_cast<LONG>(GetLastError());
    }
    // Set on the open key rather than passed at creation: Windows takes either, but only this
    // way keeps the protected flag everywhere the programs have been proven.
    return RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.get());
}

// The settings key opened for writing, created when missing; a key created here is protected
// before it is handed out, or deleted again. `status`: 0 or the Windows error code.
RegistryKey CreateSettingsKey(LONG& status) {
    RegistryKey key;
    DWORD disposition = 0;
    status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0,
                             KEY_READ | KEY_WRITE | WRITE_DAC, nullptr, key.put(), &disposition);
    if (status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY) {
        status = SetAdministratorsOnly(key.get());
        if (status != ERROR_SUCCESS) {
            key.reset();
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        }
    }
    if (status != ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

// Writes the text up to its first NUL and that NUL: an empty text is a REG_SZ of one byte.
LONG WriteText(HKEY key, const char* name, const std::optional<std::string>& text) {
    const char* value = text ? text->c_str() : "";
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
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
    LONG created = ERROR_SUCCESS;
    const RegistryKey key = CreateSettingsKey(created);
    if (!key) {
        return created;
    }
    const DWORD interval = static_cast<DWORD>(settings.intervalMinutes.value_or(0));
    // Each value is written even after one failed; the first failure is told.
    const LONG written[] = {
        WriteText(key.get(), kProfileValue, settings.profileName),
        RegSetValueExA(key.get(), kIntervalValue, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&interval), sizeof interval),
        WriteText(key.get(), kProfileUserValue, settings.profileUser),
        WriteText(key.get(), kProfilePasswordValue, settings.profilePassword),
    };
    for (const LONG result : written) {
        if (result != ERROR_SUCCESS) return result;
    }
    return 0;
}

std::optional<std::string> ReadSettingsText(const char* valueName, unsigned long bufferSize) {
    const RegistryKey key = OpenSettingsKey();
    if (!key) {
        return std::nullopt;
    }
    return QueryRegistryText(key.get(), valueName, bufferSize);
}

std::optional<std::uint32_t> LoadTriggerId() {
    const RegistryKey key = OpenSettingsKey();
    if (!key) {
        return std::nullopt;
    }
    return QueryRegistryDword(key.get(), kTriggerIdValue);
}

void SaveTriggerId(std::uint32_t index) {
    LONG created = ERROR_SUCCESS;
    const RegistryKey key = CreateSettingsKey(created);
    if (!key) {
        return;
    }
    const DWORD value = index;
    RegSetValueExA(key.get(), kTriggerIdValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
}

long ProtectSettingsKey() {
    LONG status = ERROR_SUCCESS;
    const RegistryKey key = CreateSettingsKey(status);
    return key ? SetAdministratorsOnly(key.get()) : status;
}
