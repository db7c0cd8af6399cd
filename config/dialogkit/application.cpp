#include "application.h"

#include "dialog.h"

namespace {

Application* g_application = nullptr;

bool IsHelpKey(const MSG& message) {
    return message.message == WM_KEYDOWN && message.wParam == VK_F1 &&
           GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 &&
           GetKeyState(VK_MENU) >= 0;
}

}  // namespace

Application::Application() { g_application = this; }

Application::~Application() {
    if (g_application == this) {
        g_application = nullptr;
    }
}

Application* Application::Current() { return g_application; }

int Application::Run() {
    const HelpKeyWatch helpKey;
    InitInstance();
    return 0;
}

HelpKeyWatch::HelpKeyWatch()
    : m_hook(SetWindowsHookExA(WH_MSGFILTER, Filter, nullptr, GetCurrentThreadId())) {}

HelpKeyWatch::~HelpKeyWatch() {
    if (m_hook != nullptr) {
        UnhookWindowsHookEx(m_hook);
    }
}

// Dialog boxes and message boxes run their own message loops; this filter sees the messages of
// each before the dialog manager does.
LRESULT CALLBACK HelpKeyWatch::Filter(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message != nullptr && IsHelpKey(*message)) {
        const Application* application = Application::Current();
        const Dialog* main = application != nullptr ? application->MainWindow() : nullptr;
        if (main != nullptr && main->Window() != nullptr) {
            SendMessageA(main->Window(), WM_COMMAND, MAKEWPARAM(kHelpCommand, 0), 0);
            return TRUE;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
