// Drives FerrolinkConfig_WIN.exe from outside, as its user would, for the end-to-end tests and
// the demo (which uses it to capture the dialog when there is no display).
//
//   config_driver run <program.exe> <step>...   start the program and run the steps in order
//   config_driver task show|create               the stored work item (task_command.cpp)
//
// Everything observed is printed as "key=value" lines (driver_output.h). A step is a command
// and its arguments joined by colons; each command takes a fixed number of arguments, the last
// of which takes the rest of the step, colons included. <window> is "main" (the program's
// visible dialog that holds the profile list) or "popup" (the other visible dialog that the
// last "popup" step found: About box, message box, credentials or test dialog).
//   main                          wait for the main dialog; prints main.title
//   popup                         wait for another visible dialog of the program; prints
//                                 popup.title and popup.text (a message box's static 0xFFFF)
//   gone                          wait until the popup has closed; prints popup.closed
//   exit                          wait for the program to end; prints exit=<code>
//   windows                       prints windows=<the number of the program's visible top-level
//                                 windows>
//   sleep:<ms>                    for what no event shows
//   waitlines:<n>:<file>          wait until the file holds n lines; prints waitlines=<lines seen>
//   regdeletekey:<key>            delete an HKEY_LOCAL_MACHINE key (without subkeys) while the
//   regdeletevalue:<key>:<name>   program runs, or one of its values; prints regdelete=<result>
//   dump:<window>                 "dump=<window>", <window>.title, then every control in tab
//                                 order (the order of creation): <window>.<id>.class/.text/
//                                 .visible/.enabled/.style (0xXXXXXXXX), and for combo boxes
//                                 .count/.item.<n>/.cursel
//   select:<window>:<id>:<text>   select the combo item with exactly this text and tell the
//                                 dialog (CBN_SELCHANGE), as a click would
//   settext:<window>:<id>:<text>  set an edit's text (the edit reports EN_CHANGE itself)
//   press:<window>:<id>           click a button (BM_CLICK)
//   waitenabled:<window>:<id>     wait until the control is enabled; prints waitenabled=<1 or 0>
//   syscommand:<window>:<n>       post WM_SYSCOMMAND n
//   esc:<window>                  Escape pressed in the window, through its modal loop
//   f1:<window>                   make the window active, as a click would, and press F1
//                                 through the keyboard input queue
//   shot:<window>:<file.bmp>      copy the window's pixels from the screen into a 24-bit BMP
//                                 (window_bitmap.cpp); prints shot.<window>=<file>
// Every wait is bounded (WaitUntil). A step that cannot be done prints "fail=<step>: <why>";
// the driver then ends the program it started and exits with 2.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver_output.h"
#include "resource.h"
#include "task_command.h"
#include "win_handles.h"
#include "window_bitmap.h"

namespace {

constexpr DWORD kStartTimeoutMs = 20000;  // the program's first window, on a cold prefix
constexpr DWORD kWaitTimeoutMs = 10000;   // every other wait
constexpr DWORD kPollMs = 50;
constexpr DWORD kMessageTimeoutMs = 2000;
constexpr int kMessageBoxTextId = 0xFFFF;
const char* const kDialogClass = "#32770";

// The one wait of every step: polls `done` until it holds or `timeoutMs` has passed; gives
// whether it held.
template <typename Done>
bool WaitUntil(Done done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

// A whole number (decimal, or hexadecimal after "0x"), or nothing: a step with a malformed
// number is refused, not guessed.
bool ParseNumber(const std::string& text, long& value) {
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 0);
    return !text.empty() && *end == '\0';
}

// Messages go through SendMessageTimeout: a hung program must not hang the driver.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                        &result);
    return static_cast<LRESULT>(result);
}

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length)) {
        return {};
    }
    std::string text(length + 1, '\0');
    text.resize(static_cast<std::size_t>(
        Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::string ClassName(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A combo box item's text in the system code page. Asked for in UTF-16 and converted here:
// Wine hands an ANSI CB_GETLBTEXT from another process back in UTF-16.
std::string ComboItem(HWND combo, LRESULT index) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0,
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length) ||
        static_cast<LRESULT>(length) == CB_ERR) {
        return {};
    }
    std::wstring wide(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                        &copied);
    if (static_cast<LRESULT>(copied) == CB_ERR) return {};
    return Narrow(wide.data(), copied);
}

class ProgramDriver;

// One step as its command reads it: the window named by its first argument, for a command that
// acts on a window, and its other arguments.
struct Step {
    HWND window = nullptr;
    std::string windowName;
    std::vector<std::string> arguments;
};

struct Command {
    const char* name;
    bool onWindow;  // the first argument names the window that the command acts on
    int arguments;  // the others
    std::string (ProgramDriver::*run)(const Step&);
};

class ProgramDriver {
public:
    bool Start(const std::string& program, std::string desktop) {
        std::string commandLine = "\"" + program + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.lpDesktop = desktop.data();
        PROCESS_INFORMATION info{};
        if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info)) {
            Print("fail", "start: CreateProcess failed with " + std::to_string(GetLastError()));
            return false;
        }
        m_process.reset(info.hProcess);
        m_thread.reset(info.hThread);
        m_processId = info.dwProcessId;
        m_threadId = info.dwThreadId;
        return true;
    }

    // Runs one step; gives what went wrong, or an empty text.
    std::string Run(const std::string& text);

    // Ends the program if it still runs, so that a failed run leaves nothing behind.
    void Finish() {
        if (m_process && Running()) {
            TerminateProcess(m_process.get(), 99);
            WaitForSingleObject(m_process.get(), 5000);
            Print("terminated", 1);
        }
    }

private:
    static const Command kCommands[];

    bool Running() const { return WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(m_process.get(), &code);
        return code;
    }

    struct Search {
        DWORD processId;
        bool dialogsOnly;
        std::vector<HWND> found;
    };

    static BOOL CALLBACK Collect(HWND window, LPARAM param) {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == search->processId && IsWindowVisible(window) &&
            (!search->dialogsOnly || ClassName(window) == kDialogClass)) {
            search->found.push_back(window);
        }
        return TRUE;
    }

    // The program's visible top-level windows; only its dialogs when `dialogsOnly`.
    std::vector<HWND> ProgramWindows(bool dialogsOnly) const {
        Search search{m_processId, dialogsOnly, {}};
        EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Waits until `find` gives a window; fails when the program ends or the time is up. The
    // program's first window, whichever step waits for it, has the start's time.
    template <typename Find>
    std::string WaitWindow(HWND& window, Find find, DWORD timeoutMs) {
        if (!m_windowSeen) timeoutMs = kStartTimeoutMs;
        window = nullptr;
        WaitUntil([&] { return (window = find()) != nullptr || !Running(); }, timeoutMs);
        m_windowSeen = m_windowSeen || window != nullptr;
        if (window != nullptr) return {};
        if (!Running()) return "the program ended with " + std::to_string(ExitCode());
        return "not seen within " + std::to_string(timeoutMs) + " ms";
    }

    // The control `id` (the step's argument `index`) of the step's window.
    static std::string Control(const Step& step, std::size_t index, HWND& control) {
        long id = 0;
        control = ParseNumber(step.arguments[index], id)
                      ? GetDlgItem(step.window, static_cast<int>(id))
                      : nullptr;
        if (control != nullptr) return {};
        return "no control " + step.arguments[index] + " in the " + step.windowName + " window";
    }

    std::string Main(const Step&) {
        const std::string why = WaitWindow(m_main, [this]() -> HWND {
            for (HWND window : ProgramWindows(true)) {
                if (GetDlgItem(window, IDC_PROFILE_COMBO) != nullptr) return window;
            }
            return nullptr;
        }, kWaitTimeoutMs);
        if (why.empty()) Print("main.title", WindowText(m_main));
        return why;
    }

    std::string Popup(const Step&) {
        const std::string why = WaitWindow(m_popup, [this]() -> HWND {
            for (HWND window : ProgramWindows(true)) {
                if (window != m_main && GetDlgItem(window, IDC_PROFILE_COMBO) == nullptr) {
                    return window;
                }
            }
            return nullptr;
        }, kWaitTimeoutMs);
        if (!why.empty()) return why;
        Print("popup.title", WindowText(m_popup));
        if (HWND text = GetDlgItem(m_popup, kMessageBoxTextId)) {
            Print("popup.text", WindowText(text));
        }
        return {};
    }

    std::string Gone(const Step&) {
        const HWND popup = m_popup;
        if (!WaitUntil(
                [popup] { return popup == nullptr || !IsWindow(popup) || !IsWindowVisible(popup); },
                kWaitTimeoutMs)) {
            return "the popup is still open";
        }
        m_popup = nullptr;
        Print("popup.closed", 1);
        return {};
    }

    std::string Exit(const Step&) {
        if (!WaitUntil([this] { return !Running(); }, kWaitTimeoutMs)) {
            return "the program is still running";
        }
        Print("exit", ExitCode());
        return {};
    }

    std::string Windows(const Step&) {
        Print("windows", static_cast<long long>(ProgramWindows(false).size()));
        return {};
    }

    std::string Pause(const Step& step) {
        long ms = 0;
        if (!ParseNumber(step.arguments[0], ms) || ms < 0 || ms > 60000) {
            return "not a pause of 0 to 60000 ms";
        }
        Sleep(static_cast<DWORD>(ms));
        return {};
    }

    std::string WaitLines(const Step& step) {
        long wanted = 0;
        if (!ParseNumber(step.arguments[0], wanted)) return "not a number of lines";
        const std::string& file = step.arguments[1];
        long lines = 0;
        WaitUntil([&] {
            lines = 0;
            if (FILE* in = std::fopen(file.c_str(), "rb")) {
                for (int c; (c = std::fgetc(in)) != EOF;) lines += c == '\n' ? 1 : 0;
                std::fclose(in);
            }
            return lines >= wanted;
        }, kWaitTimeoutMs);
        Print("waitlines", lines);
        return {};
    }

    std::string DeleteKey(const Step& step) {
        Print("regdelete", RegDeleteKeyA(HKEY_LOCAL_MACHINE, step.arguments[0].c_str()));
        return {};
    }

    std::string DeleteValue(const Step& step) {
        const std::string& key = step.arguments[0];
        Print("regdelete",
              RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), step.arguments[1].c_str()));
        return {};
    }

    std::string Dump(const Step& step) {
        const std::string& which = step.windowName;
        Print("dump", which);
        Print(which + ".title", WindowText(step.window));
        for (HWND child = GetWindow(step.window, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            const std::string key = which + "." + std::to_string(GetDlgCtrlID(child));
            const std::string className = ClassName(child);
            Print(key + ".class", className);
            Print(key + ".text", WindowText(child));
            Print(key + ".visible", IsWindowVisible(child) ? 1 : 0);
            Print(key + ".enabled", IsWindowEnabled(child) ? 1 : 0);
            Print(key + ".style",
                  Hex(static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE))));
            if (className == "ComboBox") {
                const auto count = Send(child, CB_GETCOUNT, 0, 0);
                Print(key + ".count", count);
                for (LRESULT i = 0; i < count; ++i) {
                    Print(key + ".item." + std::to_string(i), ComboItem(child, i));
                }
                Print(key + ".cursel", Send(child, CB_GETCURSEL, 0, 0));
            }
        }
        return {};
    }

    std::string Select(const Step& step) {
        HWND combo = nullptr;
        if (std::string why = Control(step, 0, combo); !why.empty()) return why;
        const auto count = Send(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            if (ComboItem(combo, i) == step.arguments[1]) {
                Send(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
                Send(step.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
                return {};
            }
        }
        return "no item \"" + step.arguments[1] + "\"";
    }

    std::string SetText(const Step& step) {
        HWND edit = nullptr;
        if (std::string why = Control(step, 0, edit); !why.empty()) return why;
        Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.arguments[1].c_str()));
        return {};
    }

    std::string Press(const Step& step) {
        HWND button = nullptr;
        if (std::string why = Control(step, 0, button); !why.empty()) return why;
        // Posted: the click may end a modal loop or open one, and the driver must not wait on it.
        PostMessageA(button, BM_CLICK, 0, 0);
        return {};
    }

    std::string WaitEnabled(const Step& step) {
        HWND control = nullptr;
        if (std::string why = Control(step, 0, control); !why.empty()) return why;
        const bool enabled =
            WaitUntil([control] { return IsWindowEnabled(control) != FALSE; }, kWaitTimeoutMs);
        Print("waitenabled", enabled ? 1 : 0);
        return {};
    }

    std::string SysCommand(const Step& step) {
        long command = 0;
        if (!ParseNumber(step.arguments[0], command)) return "not a system command";
        PostMessageA(step.window, WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
        return {};
    }

    std::string Escape(const Step& step) {
        // Posted, as the keyboard delivers it: the dialog's modal loop turns it into IDCANCEL.
        PostMessageA(step.window, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageA(step.window, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001u));
        return {};
    }

    std::string PressF1(const Step& step) {
        // Keyboard input goes to the foreground window's thread: make the dialog the foreground
        // one with a focused control first, as a user's click would.
        HWND target = step.window;
        const bool active = WaitUntil([this, target] {
            SetForegroundWindow(target);
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(m_threadId, &info) && info.hwndFocus != nullptr &&
                   GetForegroundWindow() == target;
        }, kWaitTimeoutMs);
        if (!active) return "the " + step.windowName + " window did not become active";
        INPUT keys[2]{};
        for (INPUT& key : keys) {
            key.type = INPUT_KEYBOARD;
            key.ki.wVk = VK_F1;
            key.ki.wScan = static_cast<WORD>(MapVirtualKeyA(VK_F1, MAPVK_VK_TO_VSC));
        }
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        if (SendInput(2, keys, sizeof(INPUT)) != 2) return "SendInput failed";
        return {};
    }

    std::string Shot(const Step& step) {
        const std::string& file = step.arguments[0];
        if (std::string why = SaveWindowBitmap(step.window, file); !why.empty()) return why;
        Print("shot." + step.windowName, file);
        return {};
    }

    UniqueHandle m_process;
    UniqueHandle m_thread;
    DWORD m_processId = 0;
    DWORD m_threadId = 0;
    HWND m_main = nullptr;
    HWND m_popup = nullptr;
    bool m_windowSeen = false;
};

const Command ProgramDriver::kCommands[] = {
    {"main", false, 0, &ProgramDriver::Main},
    {"popup", false, 0, &ProgramDriver::Popup},
    {"gone", false, 0, &ProgramDriver::Gone},
    {"exit", false, 0, &ProgramDriver::Exit},
    {"windows", false, 0, &ProgramDriver::Windows},
    {"sleep", false, 1, &ProgramDriver::Pause},
    {"waitlines", false, 2, &ProgramDriver::WaitLines},
    {"regdeletekey", false, 1, &ProgramDriver::DeleteKey},
    {"regdeletevalue", false, 2, &ProgramDriver::DeleteValue},
    {"dump", true, 0, &ProgramDriver::Dump},
    {"select", true, 2, &ProgramDriver::Select},
    {"settext", true, 2, &ProgramDriver::SetText},
    {"press", true, 1, &ProgramDriver::Press},
    {"waitenabled", true, 1, &ProgramDriver::WaitEnabled},
    {"syscommand", true, 1, &ProgramDriver::SysCommand},
    {"esc", true, 0, &ProgramDriver::Escape},
    {"f1", true, 0, &ProgramDriver::PressF1},
    {"shot", true, 1, &ProgramDriver::Shot},
};

std::string ProgramDriver::Run(const std::string& text) {
    const std::size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    const Command* command = nullptr;
    for (const Command& candidate : kCommands) {
        if (name == candidate.name) command = &candidate;
    }
    if (command == nullptr) return "unknown command \"" + name + "\"";
    // The last argument takes the rest of the step: a text or a path may hold colons.
    const std::size_t count =
        static_cast<std::size_t>(command->arguments) + (command->onWindow ? 1 : 0);
    std::vector<std::string> fields;
    for (std::size_t start = colon; start != std::string::npos && fields.size() < count;) {
        ++start;
        const std::size_t end =
            fields.size() + 1 < count ? text.find(':', start) : std::string::npos;
        fields.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        start = end;
    }
    if (fields.size() != count || (count == 0 && colon != std::string::npos)) {
        return name + " takes " + std::to_string(count) + " argument(s)";
    }
    Step step;
    if (command->onWindow) {
        step.windowName = fields.front();
        fields.erase(fields.begin());
        if (step.windowName != "main" && step.windowName != "popup") {
            return "no window \"" + step.windowName + "\" (main or popup)";
        }
        step.window = step.windowName == "main" ? m_main : m_popup;
        if (step.window == nullptr || !IsWindow(step.window)) {
            return "no " + step.windowName + " window";
        }
    }
    step.arguments = std::move(fields);
    return (this->*command->run)(step);
}

using UniqueDesktop = UniqueResource<NullEmptyTraits<HDESK, CloseDesktop>>;

// The desktop that the driver and the program share, named after the X display. Under Wine
// each desktop gets its own desktop process, started with the display of the first program
// that shows a window on it; on the default desktop that may be a process of another test
// that ran without a display, and then no window of the program could be created.
std::string DesktopName() {
    char display[64] = "";
    GetEnvironmentVariableA("DISPLAY", display, sizeof display);
    std::string name = "ferrolink-e2e";
    for (const char* c = display; *c != '\0'; ++c) {
        if (*c >= '0' && *c <= '9') name += *c;
    }
    return name;
}

int RunProgram(int argc, char** argv) {
    Print("acp", GetACP());
    const std::string desktopName = DesktopName();
    const UniqueDesktop desktop(
        CreateDesktopA(desktopName.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr));
    if (!desktop || !SetThreadDesktop(desktop.get())) {
        Print("fail", "desktop " + desktopName + ": " + std::to_string(GetLastError()));
        return 2;
    }
    ProgramDriver driver;
    if (!driver.Start(argv[2], desktopName)) return 2;
    for (int i = 3; i < argc; ++i) {
        const std::string why = driver.Run(argv[i]);
        if (!why.empty()) {
            Print("fail", std::string(argv[i]) + ": " + why);
            driver.Finish();
            return 2;
        }
    }
    driver.Finish();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "run" && argc >= 3) return RunProgram(argc, argv);
    if (command == "task" && argc == 3) return RunTaskCommand(argv[2]);
    std::fprintf(stderr,
                 "usage: config_driver run <program.exe> <step>...\n"
                 "       config_driver task show|create\n");
    return 2;
}
