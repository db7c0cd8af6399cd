#include "convert_string.h"

#include <windows.h>

int ConvertString(char* ansi, wchar_t* wide, int room, int direction) {
    if (direction == 0) {
        if (ansi == nullptr || room < 1) {
            return 0;
        }
        ansi[0] = '\0';
        if (wide == nullptr) {
            return 0;
        }
        // The source is read through its terminator, so a success leaves the target
        // terminated; a failure (a text too long for its room) may leave a partial text
        // without one, which is cut back to nothing.
        if (WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, room, nullptr, nullptr) == 0) {
            ansi[0] = '\0';
            return 0;
        }
        return 1;
    }
    if (direction == 1) {
        if (wide == nullptr || room < 1) {
            return 0;
        }
        wide[0] = L'\0';
        if (ansi == nullptr) {
            return 0;
        }
        if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, ansi, -1, wide, room) == 0) {
            wide[0] = L'\0';
            return 0;
        }
        return 1;
    }
    return 0;
}
