// The floor of /status for the benchmark: a windowed program that only creates the Task
// Scheduler object and reads one value of the settings key, and ends.
#include <windows.h>
#include <initguid.h>
#include <mstask.h>

#include "com_ptr.h"
#include "settings_store.h"
#include "win_handles.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const ComApartment com;
    ComPtr<ITaskScheduler> scheduler;
    const HRESULT created = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_ITaskScheduler, scheduler.put_void());
    HKEY opened = nullptr;
    const RegistryKey key(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &opened) ==
                                  ERROR_SUCCESS
                              ? opened
                              : nullptr);
    const bool read = key && QueryRegistryText(key.get(), "Profile", 400).has_value();
    return SUCCEEDED(created) && read ? 0 : 1;
}
