#include "program_messages.h"

#include "resource.h"
#include "resource_module.h"

std::string g_errorCaption;
std::string g_warningCaption;
std::string g_confirmationCaption;
std::string g_noTaskText;

void LoadProgramTexts() {
    g_errorCaption = LoadResourceString(IDS_ERROR_CAPTION);
    g_warningCaption = LoadResourceString(IDS_WARNING_CAPTION);
    g_confirmationCaption = LoadResourceString(IDS_CONFIRMATION_CAPTION);
    g_noTaskText = LoadResourceString(IDS_NO_TASK);
}

int ShowProgramMessage(HWND owner, unsigned textId, const std::string& caption,
                       MessageKind kind) {
    return ShowMessageBox(owner, LoadResourceString(textId), caption, kind);
}
