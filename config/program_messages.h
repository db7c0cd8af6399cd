#pragma once
// The texts that every part of the configuration program shows its messages with: three
// message-box captions and the text of a missing task. They are empty until the main dialog's
// start-up loads them from the string table.
#include <windows.h>

#include <string>

#include "message_box.h"

extern std::string g_errorCaption;         // string 102, "Error"
extern std::string g_warningCaption;       // string 105, "Warning"
extern std::string g_confirmationCaption;  // string 110, "Confirmation"
extern std::string g_noTaskText;           // string 115, "no task"

// Loads the four texts from the string table of the resource module.
void LoadProgramTexts();

// Shows string `textId` of the resource module in a task-modal message box of `kind` with
// `caption` (one of the captions above), owned by `owner`. Returns the button chosen.
int ShowProgramMessage(HWND owner, unsigned textId, const std::string& caption,
                       MessageKind kind);
