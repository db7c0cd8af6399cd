// Loaded into FerrolinkConfig_WIN.exe through the end-to-end driver's message hook. A menu
// belongs to its process and cannot be read from another one, so on the driver's registered
// message this library, running inside the program, writes the system menu of the window the
// message was posted to into "menu_probe.txt" beside itself, one line per item:
// "<command id>\t<separator 0|1>\t<text>". The program never sees the message.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string ProbeFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ProbeFolder), &self);
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

void WriteSystemMenu(HWND window) {
    std::string lines;
    HMENU menu = GetSystemMenu(window, FALSE);
    const int count = menu != nullptr ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item)) continue;
        lines += std::to_string(item.wID) + "\t" + ((item.fType & MFT_SEPARATOR) ? "1" : "0") + "\t" +
                 text + "\n";
    }
    // Written under another name and renamed, so the driver never reads half a file.
    const std::string folder = ProbeFolder();
    const std::string partial = folder + "menu_probe.part";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) return;
    std::fwrite(lines.data(), 1, lines.size(), file);
    std::fclose(file);
    MoveFileExA(partial.c_str(), (folder + "menu_probe.txt").c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (message->message == RegisterWindowMessageA("FerrolinkMenuProbe")) {
            WriteSystemMenu(message->hwnd);
            message->message = WM_NULL;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
