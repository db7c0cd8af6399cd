// Helpers of the tests that run the program's dialogs in this process (under Wine with a
// display): acting inside a modal loop, the application object, the test resource library.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "application.h"
#include "dialog.h"

// The thread's visible dialogs and message boxes (class #32770).
inline std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) -> BOOL {
            char name[16] = {};
            GetClassNameA(window, name, sizeof name);
            if (std::string(name) == "#32770" && IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(result)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs `step` once on the thread's dialog that takes input (enabled: an owner is disabled
// while its modal child runs) and that `accept` takes, as soon as a modal loop of this thread
// shows one (a thread timer, served by whatever loop runs). After about ten seconds without
// one it cancels every dialog of the thread, so that a failing test ends, and Ran() is false.
class WhenModal {
public:
    explicit WhenModal(std::function<void(HWND)> step,
                       std::function<bool(HWND)> accept = [](HWND) { return true; })
        : m_step(std::move(step)), m_accept(std::move(accept)) {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 20, Tick);
    }
    ~WhenModal() {
        KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    WhenModal(const WhenModal&) = delete;
    WhenModal& operator=(const WhenModal&) = delete;
    bool Ran() const { return m_ran; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        WhenModal* self = s_current;
        if (self == nullptr || self->m_done) {
            return;
        }
        for (HWND window : ThreadDialogs()) {
            if (IsWindowEnabled(window) && self->m_accept(window)) {
                self->m_done = self->m_ran = true;
                self->m_step(window);
                return;
            }
        }
        if (++self->m_ticks > 500) {
            self->m_done = true;
            for (HWND window : ThreadDialogs()) {
                PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            }
        }
    }
    static inline WhenModal* s_current = nullptr;
    std::function<void(HWND)> m_step;
    std::function<bool(HWND)> m_accept;
    UINT_PTR m_timer = 0;
    int m_ticks = 0;
    bool m_done = false;
    bool m_ran = false;
};

// An application object whose work is the test's.
class ProbeApplication : public Application {
public:
    explicit ProbeApplication(std::function<void(ProbeApplication&)> work)
        : m_work(std::move(work)) {}
    BOOL InitInstance() override {
        m_work(*this);
        return FALSE;
    }

private:
    std::function<void(ProbeApplication&)> m_work;
};

inline std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The incomplete resource library built beside the tests.
inline std::string PartialLangPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of('\\') + 1);
    return folder + "ui_partial_lang.dll";
}
