#pragma once
// The program's message boxes: always task-modal, in one of three kinds.
#include <windows.h>

#include <string>

enum class MessageKind : UINT {
    Error = MB_ICONHAND | MB_OK,                // 0x2010 with MB_TASKMODAL
    Warning = MB_ICONEXCLAMATION | MB_OK,       // 0x2030
    Question = MB_ICONEXCLAMATION | MB_YESNO,   // 0x2034
};

// Shows `text` with `caption`, owned by `owner` (may be nullptr). Returns the button chosen
// (IDOK, IDYES, IDNO), or 0 when the box could not be shown.
inline int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                          MessageKind kind) {
    return MessageBoxA(owner, text.c_str(), caption.c_str(),
                       MB_TASKMODAL | static_cast<UINT>(kind));
}
