// Drives FerrolinkConfig_WIN.exe from outside, as its user would, for the end-to-end tests and
// the demo (which uses it to capture the dialog when there is no display).
//
//   config_driver run <program.exe> <step>...   start the program and run the steps in order
//   config_driver task create|delete|exists      the work item "Ferrolink", for preparing a run
//
// Everything observed is printed as one "key=value" line; values escape a backslash, CR, LF
// and every byte outside printable ASCII (\\, \r, \n, \xNN), so the caller sees the exact bytes
// of the system code page ("acp=" names it). Steps of `run`:
//   main                        wait for the main dialog (the program's visible dialog holding
//                               the profile list 1013); prints main.title
//   popup                       wait for another visible dialog of the program (About box,
//                               message box); prints popup.title and popup.text (static 0xFFFF)
//   dump:main|popup             "dump=<w>", <w>.title, then every control in tab order (the
//                               order of creation): <w>.<id>.class/.text/.visible/.enabled/.style
//                               (0xXXXXXXXX), and for combo boxes .count/.item.<n>/.cursel
//   select:<id>:<text>          select the combo item with exactly this text and tell the dialog
//                               (CBN_SELCHANGE), as a click would
//   settext:<id>:<text>         set an edit's text (the edit reports EN_CHANGE itself)
//   syscommand:<n>              post WM_SYSCOMMAND n to the main dialog
//   press:main|popup:<id>       click a button (BM_CLICK)
//   gone                        wait until the popup has closed; prints popup.closed
//   f1[:shift|ctrl]             press and release F1 (with Shift or Ctrl held) through the
//                               keyboard input queue, with the program's foreground dialog
//                               active; prints f1.focus.id
//   shot:main|popup:<file.bmp>  copy the window's pixels from the screen into a 24-bit BMP
//   windows                     prints windows=<number of visible top-level windows>
//   sleep:<ms>
//   waitfile:<ms>:<file>        wait up to ms for the file to exist; prints waitfile=1 or 0
//   waitlines:<n>:<file>        wait (bounded) until the file holds n lines; prints waitlines=<lines>
//   exit                        wait for the program to end; prints exit=<code>
// Steps for the configuration test's dialog:
//   waitenabled:popup:<id>      wait (bounded) until the popup's control is enabled; prints
//                               waitenabled=<1 or 0>
//   esc:popup                   Escape pressed in the popup, through its modal loop
//   sysclose:popup              the popup's close box (WM_SYSCOMMAND SC_CLOSE)
//   timer:main:<id>             post WM_TIMER with this timer id to the main dialog
//   regdelete:<key>[:<value>]   delete an HKEY_LOCAL_MACHINE key (without subkeys), or one of
//                               its values, while the program runs; prints regdelete=<result>
// Steps for the apply and delete flows:
//   popuptext:<id>:<text>       set an edit's text in the popup (the edit reports EN_CHANGE)
//   focus                       prints focus.id, the control of the program that has the focus
// `config_driver task show` prints the stored work item: task.exists, task.application,
// task.parameters, task.account.hr, task.triggers and trigger.<n>.<field> of each trigger.
// A step that cannot be done prints "fail=<step>: <why>"; the driver then ends the program it
// started and exits with 2. Every wait is bounded, so no run hangs.
#include <windows.h>
#include <initguid.h>
#include <mstask.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "com_ptr.h"
#include "win_handles.h"

namespace {

constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kWindowTimeoutMs = 10000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr int kProfileListId = 1013;
constexpr int kMessageTextId = 0xFFFF;

std::string Escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

void Print(const std::string& key, const std::string& value) {
    std::printf("%s=%s\n", key.c_str(), Escape(value).c_str());
    std::fflush(stdout);
}

void Print(const std::string& key, long long value) { Print(key, std::to_string(value)); }

std::string WindowText(HWND window) {
    // WM_GETTEXT through SendMessageTimeout: a hung program must not hang the driver.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
        return {};
    }
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return text;
}

std::string ClassName(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

// A combo box item's text in the system code page. Asked for in UTF-16 and converted here:
// Wine hands an ANSI CB_GETLBTEXT from another process back in UTF-16.
std::string ComboItem(HWND combo, LRESULT index) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG,
                             2000, &length) ||
        static_cast<LRESULT>(length) == CB_ERR) {
        return {};
    }
    std::wstring wide(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG, 2000, &copied);
    if (static_cast<LRESULT>(copied) == CB_ERR) return {};
    wide.resize(copied);
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                         0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
    return text;
}

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
    std::string Run(const std::string& step) {
        const auto fields = Split(step);
        const std::string& verb = fields[0];
        if (verb == "main") return WaitMain();
        if (verb == "popup") return WaitPopup();
        if (verb == "dump" && fields.size() == 2) return Dump(fields[1]);
        if (verb == "select" && fields.size() == 3) return Select(fields[1], fields[2]);
        if (verb == "settext" && fields.size() == 3) return SetText(fields[1], fields[2]);
        if (verb == "syscommand" && fields.size() == 2) {
            if (m_main == nullptr) return "no main window";
            PostMessageA(m_main, WM_SYSCOMMAND, std::strtoul(fields[1].c_str(), nullptr, 0), 0);
            return {};
        }
        if (verb == "press" && fields.size() == 3) return Press(fields[1], fields[2]);
        if (verb == "gone") return WaitGone();
        if (verb == "f1") return PressF1(fields.size() == 2 ? fields[1] : "");
        if (verb == "shot" && fields.size() == 3) return Shot(fields[1], fields[2]);
        if (verb == "windows") {
            Print("windows", static_cast<long long>(ProgramWindows(false).size()));
            return {};
        }
        if (verb == "sleep" && fields.size() == 2) {
            Sleep(std::strtoul(fields[1].c_str(), nullptr, 10));
            return {};
        }
        if (verb == "waitfile" && fields.size() == 3) return WaitFile(fields[1], fields[2]);
        if (verb == "waitlines" && fields.size() == 3) return WaitLines(fields[1], fields[2]);
        if (verb == "exit") return WaitExit();
        return RunTestDialogStep(fields);
    }

    // Ends the program if it still runs, so that a failed run leaves nothing behind.
    void Finish() {
        if (m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process.get(), 99);
            WaitForSingleObject(m_process.get(), 5000);
            Print("terminated", 1);
        }
    }

private:
    // "verb:a:b" splits at the first two colons only: a text may hold colons.
    static std::vector<std::string> Split(const std::string& step) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        while (fields.size() < 2) {
            const auto colon = step.find(':', start);
            if (colon == std::string::npos) break;
            fields.push_back(step.substr(start, colon - start));
            start = colon + 1;
        }
        fields.push_back(step.substr(start));
        return fields;
    }

    bool Running() const { return WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

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
            (!search->dialogsOnly || ClassName(window) == "#32770")) {
            search->found.push_back(window);
        }
        return TRUE;
    }

    std::vector<HWND> ProgramWindows(bool dialogsOnly) const {
        Search search{m_processId, dialogsOnly, {}};
        EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND FindMain() const {
        for (HWND window : ProgramWindows(true)) {
            if (GetDlgItem(window, kProfileListId) != nullptr) return window;
        }
        return nullptr;
    }

    HWND FindPopup() const {
        for (HWND window : ProgramWindows(true)) {
            if (window != m_main && GetDlgItem(window, kProfileListId) == nullptr) return window;
        }
        return nullptr;
    }

    // Polls `find` until it gives a window, the program ends or the time is up.
    template <typename Find>
    HWND WaitFor(Find find, DWORD timeoutMs, std::string& why) const {
        const DWORD start = GetTickCount();
        for (;;) {
            if (HWND window = find()) return window;
            if (!Running()) {
                DWORD code = 0;
                GetExitCodeProcess(m_process.get(), &code);
                why = "the program ended with " + std::to_string(code);
                return nullptr;
            }
            if (GetTickCount() - start > timeoutMs) {
                why = "not seen within " + std::to_string(timeoutMs) + " ms";
                return nullptr;
            }
            Sleep(50);
        }
    }

    HWND Window(const std::string& which) const { return which == "popup" ? m_popup : m_main; }

    std::string WaitMain() {
        std::string why;
        m_main = WaitFor([this] { return FindMain(); }, kStartTimeoutMs, why);
        if (m_main == nullptr) return why;
        Print("main.title", WindowText(m_main));
        return {};
    }

    std::string WaitPopup() {
        std::string why;
        m_popup = WaitFor([this] { return FindPopup(); }, kWindowTimeoutMs, why);
        if (m_popup == nullptr) return why;
        Print("popup.title", WindowText(m_popup));
        if (HWND text = GetDlgItem(m_popup, kMessageTextId)) Print("popup.text", WindowText(text));
        return {};
    }

    std::string WaitGone() {
        const DWORD start = GetTickCount();
        while (m_popup != nullptr && IsWindow(m_popup) && IsWindowVisible(m_popup)) {
            if (GetTickCount() - start > kWindowTimeoutMs) return "the popup is still open";
            Sleep(50);
        }
        m_popup = nullptr;
        Print("popup.closed", 1);
        return {};
    }

    std::string Dump(const std::string& which) {
        HWND window = Window(which);
        if (window == nullptr) return "no " + which + " window";
        Print("dump", which);
        Print(which + ".title", WindowText(window));
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            const std::string key = which + "." + std::to_string(GetDlgCtrlID(child));
            const std::string className = ClassName(child);
            Print(key + ".class", className);
            Print(key + ".text", WindowText(child));
            Print(key + ".visible", IsWindowVisible(child) ? 1 : 0);
            Print(key + ".enabled", IsWindowEnabled(child) ? 1 : 0);
            char style[16];
            std::snprintf(style, sizeof style, "0x%08lX",
                          static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)));
            Print(key + ".style", style);
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

    std::string Select(const std::string& id, const std::string& text) {
        const int control = std::atoi(id.c_str());
        HWND combo = GetDlgItem(m_main, control);
        if (combo == nullptr) return "no control " + id;
        const auto count = Send(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            if (ComboItem(combo, i) == text) {
                Send(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
                Send(m_main, WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
                return {};
            }
        }
        return "no item \"" + text + "\"";
    }

    std::string SetText(const std::string& id, const std::string& text) {
        HWND edit = GetDlgItem(m_main, std::atoi(id.c_str()));
        if (edit == nullptr) return "no control " + id;
        DWORD_PTR result = 0;
        SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                            SMTO_ABORTIFHUNG, 2000, &result);
        return {};
    }

    std::string Press(const std::string& which, const std::string& id) {
        HWND window = Window(which);
        if (window == nullptr) return "no " + which + " window";
        HWND button = GetDlgItem(window, std::atoi(id.c_str()));
        if (button == nullptr) return "no button " + id;
        // Posted: the click may end a modal loop or open one, and the driver must not wait on it.
        PostMessageA(button, BM_CLICK, 0, 0);
        return {};
    }

    std::string PressF1(const std::string& modifier) {
        WORD modifierKey = 0;
        if (modifier == "shift") {
            modifierKey = VK_SHIFT;
        } else if (modifier == "ctrl") {
            modifierKey = VK_CONTROL;
        } else if (!modifier.empty()) {
            return "unknown modifier " + modifier;
        }
        // Keyboard input goes to the foreground window's thread: make the program's active
        // dialog the foreground one first, as a user's click would.
        HWND target = m_popup != nullptr ? m_popup : m_main;
        if (target == nullptr) return "no window";
        SetForegroundWindow(target);
        const DWORD start = GetTickCount();
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        while (!(GetGUIThreadInfo(m_threadId, &info) && info.hwndFocus != nullptr &&
                 GetForegroundWindow() == target)) {
            if (GetTickCount() - start > kWindowTimeoutMs) return "the program's dialog did not become active";
            Sleep(50);
            SetForegroundWindow(target);
        }
        Print("f1.focus.id", GetDlgCtrlID(info.hwndFocus));
        std::vector<INPUT> keys;
        const auto key = [&keys](WORD virtualKey, DWORD flags) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = virtualKey;
            input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
            input.ki.dwFlags = flags;
            keys.push_back(input);
        };
        if (modifierKey != 0) key(modifierKey, 0);
        key(VK_F1, 0);
        key(VK_F1, KEYEVENTF_KEYUP);
        if (modifierKey != 0) key(modifierKey, KEYEVENTF_KEYUP);
        const auto count = static_cast<UINT>(keys.size());
        if (SendInput(count, keys.data(), sizeof(INPUT)) != count) return "SendInput failed";
        return {};
    }

    std::string Shot(const std::string& which, const std::string& file) {
        HWND window = Window(which);
        if (window == nullptr) return "no " + which + " window";
        RECT rect{};
        GetWindowRect(window, &rect);
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        if (width <= 0 || height <= 0) return "empty window";
        // Have the program paint the whole window now, then give the X server a moment.
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sleep(200);
        const UniqueScreenDc screen(GetDC(nullptr));
        const UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        const UniqueBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!screen || !memory || !bitmap) return "no drawing surface";
        const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
        const BOOL copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top,
                                   SRCCOPY | CAPTUREBLT);
        GdiFlush();
        SelectObject(memory.get(), previous);
        if (!copied) return "BitBlt failed";
        const DWORD rowBytes = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
        const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
        BITMAPFILEHEADER header{};
        header.bfType = 0x4D42;
        header.bfOffBits = sizeof header + sizeof info.bmiHeader;
        header.bfSize = header.bfOffBits + imageBytes;
        info.bmiHeader.biSizeImage = imageBytes;
        const UniqueFile out(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!out || !WriteFile(out.get(), &header, sizeof header, &written, nullptr) ||
            !WriteFile(out.get(), &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) ||
            !WriteFile(out.get(), bits, imageBytes, &written, nullptr)) {
            return "cannot write " + file;
        }
        Print("shot." + which, file);
        return {};
    }

    static std::string WaitFile(const std::string& ms, const std::string& file) {
        const DWORD timeoutMs = std::strtoul(ms.c_str(), nullptr, 10);
        const DWORD start = GetTickCount();
        bool found = false;
        while (!(found = GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES) &&
               GetTickCount() - start < timeoutMs) {
            Sleep(50);
        }
        Print("waitfile", found ? 1 : 0);
        return {};
    }

    static std::string WaitLines(const std::string& count, const std::string& file) {
        const long wanted = std::strtol(count.c_str(), nullptr, 10);
        const DWORD start = GetTickCount();
        long lines = 0;
        for (;;) {
            lines = 0;
            if (FILE* in = std::fopen(file.c_str(), "rb")) {
                for (int c; (c = std::fgetc(in)) != EOF;) lines += c == '\n' ? 1 : 0;
                std::fclose(in);
            }
            if (lines >= wanted || GetTickCount() - start > kWindowTimeoutMs) break;
            Sleep(50);
        }
        Print("waitlines", lines);
        return {};
    }

    std::string WaitExit() {
        if (WaitForSingleObject(m_process.get(), kExitTimeoutMs) != WAIT_OBJECT_0) {
            return "the program is still running";
        }
        DWORD code = 0;
        GetExitCodeProcess(m_process.get(), &code);
        Print("exit", code);
        return {};
    }

    // -- steps for the configuration test's dialog -------------------------------------------
    std::string RunTestDialogStep(const std::vector<std::string>& fields) {
        const std::string& verb = fields[0];
        if (verb == "waitenabled" && fields.size() == 3) return WaitEnabled(fields[1], fields[2]);
        if ((verb == "esc" || verb == "sysclose") && fields.size() == 2) {
            HWND window = Window(fields[1]);
            if (window == nullptr) return "no " + fields[1] + " window";
            // Posted, as the keyboard and the close box would deliver them: the dialog's modal
            // loop turns both into IDCANCEL.
            if (verb == "esc") {
                PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 1);
                PostMessageA(window, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001u));
            } else {
                PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            return {};
        }
        if (verb == "timer" && fields.size() == 3) {
            HWND window = Window(fields[1]);
            if (window == nullptr) return "no " + fields[1] + " window";
            PostMessageA(window, WM_TIMER, std::strtoul(fields[2].c_str(), nullptr, 10), 0);
            return {};
        }
        if (verb == "regdelete" && (fields.size() == 2 || fields.size() == 3)) {
            const LONG result = fields.size() == 2
                ? RegDeleteKeyA(HKEY_LOCAL_MACHINE, fields[1].c_str())
                : RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, fields[1].c_str(), fields[2].c_str());
            Print("regdelete", result);
            return {};
        }
        return RunApplyFlowStep(fields);
    }

    // -- steps for the apply and delete flows ------------------------------------------------
    std::string RunApplyFlowStep(const std::vector<std::string>& fields) {
        const std::string& verb = fields[0];
        if (verb == "popuptext" && fields.size() == 3) {
            HWND edit = m_popup != nullptr ? GetDlgItem(m_popup, std::atoi(fields[1].c_str())) : nullptr;
            if (edit == nullptr) return "no popup control " + fields[1];
            DWORD_PTR result = 0;
            SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fields[2].c_str()),
                                SMTO_ABORTIFHUNG, 2000, &result);
            return {};
        }
        if (verb == "focus") {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            if (!GetGUIThreadInfo(m_threadId, &info)) return "no thread information";
            Print("focus.id", info.hwndFocus != nullptr ? GetDlgCtrlID(info.hwndFocus) : 0);
            return {};
        }
        return "unknown step";
    }

    std::string WaitEnabled(const std::string& which, const std::string& id) {
        HWND window = Window(which);
        if (window == nullptr) return "no " + which + " window";
        HWND control = GetDlgItem(window, std::atoi(id.c_str()));
        if (control == nullptr) return "no control " + id;
        const DWORD start = GetTickCount();
        while (!IsWindowEnabled(control) && GetTickCount() - start < kWindowTimeoutMs) {
            Sleep(20);
        }
        Print("waitenabled", IsWindowEnabled(control) ? 1 : 0);
        return {};
    }

    static void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
    using UniqueScreenDc = UniqueResource<NullEmptyTraits<HDC, ReleaseScreenDc>>;
    using UniqueMemoryDc = UniqueResource<NullEmptyTraits<HDC, DeleteDC>>;
    using UniqueBitmap = UniqueResource<NullEmptyTraits<HBITMAP, DeleteObject>>;

    UniqueHandle m_process;
    UniqueHandle m_thread;
    DWORD m_processId = 0;
    DWORD m_threadId = 0;
    HWND m_main = nullptr;
    HWND m_popup = nullptr;
};

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
    const UniqueDesktop desktop(CreateDesktopA(desktopName.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr));
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

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// Prepares or inspects the work item "Ferrolink" through the Task Scheduler, as an earlier run
// of the configuration program would have left it.
int RunTask(const std::string& action) {
    const ComApartment apartment;
    ComPtr<ITaskScheduler> scheduler;
    HRESULT hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ITaskScheduler, scheduler.put_void());
    if (FAILED(hr)) {
        Print("fail", "task: CoCreateInstance " + Hex(hr));
        return 2;
    }
    if (action == "exists") {
        ComPtr<ITask> task;
        hr = scheduler->Activate(L"Ferrolink", IID_ITask, reinterpret_cast<IUnknown**>(task.put()));
        Print("task.exists", SUCCEEDED(hr) ? 1 : 0);
        return 0;
    }
    if (action == "delete") {
        hr = scheduler->Delete(L"Ferrolink");
        Print("task.deleted", SUCCEEDED(hr) ? 1 : 0);
        return 0;
    }
    if (action == "create") {
        scheduler->Delete(L"Ferrolink");
        ComPtr<ITask> task;
        hr = scheduler->NewWorkItem(L"Ferrolink", CLSID_CTask, IID_ITask,
                                    reinterpret_cast<IUnknown**>(task.put()));
        if (SUCCEEDED(hr)) hr = task->SetApplicationName(L"C:\\Program Files\\Ferrolink\\Ferrolink.exe");
        if (SUCCEEDED(hr)) hr = task->SetParameters(L"\"Office\" -u \"jo\" -p \"secret\"");
        ComPtr<IPersistFile> file;
        if (SUCCEEDED(hr)) hr = task.QueryInterface(IID_IPersistFile, file);
        if (SUCCEEDED(hr)) hr = file->Save(nullptr, TRUE);
        if (FAILED(hr)) {
            Print("fail", "task create: " + Hex(hr));
            return 2;
        }
        Print("task.created", 1);
        return 0;
    }
    if (action == "show") {
        ComPtr<ITask> task;
        hr = scheduler->Activate(L"Ferrolink", IID_ITask, reinterpret_cast<IUnknown**>(task.put()));
        Print("task.exists", SUCCEEDED(hr) ? 1 : 0);
        if (FAILED(hr)) return 0;
        const auto text = [](HRESULT result, LPWSTR value) {
            std::string narrow;
            if (SUCCEEDED(result) && value != nullptr) {
                const int size = WideCharToMultiByte(CP_ACP, 0, value, -1, nullptr, 0, nullptr, nullptr);
                narrow.assign(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
                WideCharToMultiByte(CP_ACP, 0, value, -1, narrow.data(), size, nullptr, nullptr);
            }
            CoTaskMemFree(value);
            return narrow;
        };
        LPWSTR value = nullptr;
        HRESULT got = task->GetApplicationName(&value);
        Print("task.application", text(got, value));
        value = nullptr;
        got = task->GetParameters(&value);
        Print("task.parameters", text(got, value));
        value = nullptr;
        DWORD maxRunMs = 0;
        Print("task.maxruntime", SUCCEEDED(task->GetMaxRunTime(&maxRunMs)) ? std::to_string(maxRunMs) : "-");
        got = task->GetAccountInformation(&value);
        Print("task.account.hr", Hex(got));
        Print("task.account", text(got, value));
        WORD count = 0;
        task->GetTriggerCount(&count);
        Print("task.triggers", count);
        for (WORD i = 0; i < count; ++i) {
            ComPtr<ITaskTrigger> trigger;
            TASK_TRIGGER t{};
            t.cbTriggerSize = sizeof t;
            if (FAILED(task->GetTrigger(i, trigger.put())) || FAILED(trigger->GetTrigger(&t))) continue;
            const std::string key = "trigger." + std::to_string(i) + ".";
            const std::pair<const char*, long long> fields[] = {
                {"cbTriggerSize", t.cbTriggerSize}, {"Reserved1", t.Reserved1},
                {"wBeginYear", t.wBeginYear}, {"wBeginMonth", t.wBeginMonth},
                {"wBeginDay", t.wBeginDay}, {"wEndYear", t.wEndYear}, {"wEndMonth", t.wEndMonth},
                {"wEndDay", t.wEndDay}, {"wStartHour", t.wStartHour},
                {"wStartMinute", t.wStartMinute}, {"MinutesDuration", t.MinutesDuration},
                {"MinutesInterval", t.MinutesInterval}, {"rgFlags", t.rgFlags},
                {"TriggerType", t.TriggerType}, {"DaysInterval", t.Type.Daily.DaysInterval},
                {"Reserved2", t.Reserved2}, {"wRandomMinutesInterval", t.wRandomMinutesInterval}};
            for (const auto& [name, field] : fields) Print(key + name, field);
        }
        return 0;
    }
    Print("fail", "task: unknown action " + action);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "run" && argc >= 3) return RunProgram(argc, argv);
    if (command == "task" && argc == 3) return RunTask(argv[2]);
    std::fprintf(stderr,
                 "usage: config_driver run <program.exe> <step>...\n"
                 "       config_driver task create|delete|exists|show\n");
    return 2;
}
