#pragma once
// The application object of a dialog program: one per process, run once from WinMain. It
// knows the program's main window, and sends the help command to it when F1 is pressed in any
// of the program's dialogs or message boxes.
#include <windows.h>

class Dialog;

// The command id of "help" that F1 sends to the main window.
constexpr WORD kHelpCommand = 0xE146;

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs InitInstance with the help key watched, and gives the process exit code (0). The
    // program has no message loop of its own: its work is done inside InitInstance, in the
    // modal loops of its dialogs.
    int Run();

    // The program's work. Returns FALSE so that the program ends afterwards.
    virtual BOOL InitInstance() = 0;

    void SetMainWindow(Dialog* window) { m_mainWindow = window; }
    Dialog* MainWindow() const { return m_mainWindow; }

    // The application object of the process, or nullptr.
    static Application* Current();

private:
    Dialog* m_mainWindow = nullptr;
};

// Watches the keyboard messages of the thread's dialogs and message boxes for F1 (without
// Shift, Ctrl or Alt) and sends the help command to the application's main window instead.
// Application::Run keeps one while it runs.
class HelpKeyWatch {
public:
    HelpKeyWatch();
    ~HelpKeyWatch();
    HelpKeyWatch(const HelpKeyWatch&) = delete;
    HelpKeyWatch& operator=(const HelpKeyWatch&) = delete;

private:
    static LRESULT CALLBACK Filter(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_hook;
};
