/* The library's entry point leaves a mark when it runs. A program that takes the library for
   its resources only loads it as data, so the mark must never appear. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        HANDLE mark = CreateFileA("C:\\ferrolink-lang-code-ran.txt", GENERIC_WRITE, 0, NULL,
                                  CREATE_ALWAYS, 0, NULL);
        if (mark != INVALID_HANDLE_VALUE) {
            CloseHandle(mark);
        }
    }
    return TRUE;
}
