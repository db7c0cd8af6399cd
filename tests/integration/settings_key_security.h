#pragma once
// The settings key's access list as text (SDDL), read back by the tests from the registry view
// of the program they are built as.
#include <windows.h>
#include <sddl.h>

#include <string>

#include "settings_store.h"
#include "win_handles.h"

// The access list into `text`. Returns 0 or the Windows error code.
inline long ReadSettingsKeySecurity(std::string& text) {
    RegistryKey key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, READ_CONTROL, key.put());
    DWORD size = 0;
    if (status == ERROR_SUCCESS) {
        status = RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
        status = status == ERROR_INSUFFICIENT_BUFFER ? ERROR_SUCCESS : status;
    }
    LocalMemory descriptor;
    if (status == ERROR_SUCCESS) {
        descriptor.reset(LocalAlloc(LMEM_FIXED, size));
        status = descriptor ? RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION,
                                                descriptor.get(), &size)
                            : ERROR_NOT_ENOUGH_MEMORY;
    }
    char* converted = nullptr;
    if (status == ERROR_SUCCESS &&
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(
            descriptor.get(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &converted, nullptr)) {
        status = static_cast<LONG>(GetLastError());
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const LocalMemory textOwner(converted);
    text = converted;
    return 0;
}
