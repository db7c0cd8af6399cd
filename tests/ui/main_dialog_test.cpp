// The main dialog's start-up in this process: what it shows of the work item for answers that
// Wine's Task Scheduler cannot give (Wine keeps no accounts and has security services), its
// system menu, and the configuration test's timer against a run that has already ended.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "main_dialog.h"
#include "resource.h"
#include "resource_module.h"
#include "settings_store.h"
#include "stand_ins.h"

namespace {

// Records the task display, the account and the icons once the start-up is over; then, given
// a finished connect run, sends timer 112 and timer 111 and records what each left.
class ProbedMainDialog : public MainDialog {
public:
    ProbedMainDialog(SchedulerState* scheduler, HANDLE run = nullptr) : m_run(run) {
        if (scheduler != nullptr) m_scheduler.UseScheduler(std::make_unique<StandInScheduler>(*scheduler));
    }
    std::string seen, afterTimers, menuEnd;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = MainDialog::OnInitDialog();
        const auto icon = [this](WPARAM kind) {
            return SendMessageA(Window(), WM_GETICON, kind, 0) == reinterpret_cast<LRESULT>(m_hIcon);
        };
        seen = m_checkStatic.Text() + "|" + m_taskStatic.Text() +
               (m_deleteButton.IsEnabled() ? "|delete on|" : "|delete off|") + m_accountUser +
               (m_accountRequired ? "|account required" : "|no account") +
               (m_hIcon != nullptr && icon(ICON_BIG) && icon(ICON_SMALL) ? "|icons" : "|no icons");
        // The last two items of the system menu: "separator" or "<id> <text>".
        const HMENU menu = GetSystemMenu(Window(), FALSE);
        for (int at = GetMenuItemCount(menu) - 2; at < GetMenuItemCount(menu); ++at) {
            char text[64] = {};
            GetMenuStringA(menu, static_cast<UINT>(at), text, sizeof text, MF_BYPOSITION);
            const bool separator = GetMenuState(menu, static_cast<UINT>(at), MF_BYPOSITION) & MF_SEPARATOR;
            menuEnd += (menuEnd.empty() ? "" : "|") +
                       (separator ? std::string("separator") : std::to_string(GetMenuItemID(menu, at)) + " " + text);
        }
        if (m_run != nullptr) {
            m_testProcess.reset(m_run);
            m_testExitCode = kStillActive;
            for (const WPARAM id : {112, 111}) {
                SendMessageA(Window(), WM_TIMER, id, 0);
                afterTimers += std::to_string(m_testExitCode) + (m_testProcess ? " held " : " closed ");
            }
        }
        PostMessageA(Window(), WM_COMMAND, IDCANCEL, 0);
        return result;
    }

private:
    HANDLE m_run;
};

class MainDialogStartup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InstallClient());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    }
};

TEST_F(MainDialogStartup, TheTaskDisplayAndTheAccountFollowTheWorkItem) {
    char name[257] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    const std::string user = name, none = "no checking set|no task|delete off|" + user;
    const std::string task = "once per 10 mins|Ferrolink|delete on|";
    const std::wstring tooLong(300, L'a');
    const struct {
        const char* what;
        bool scheduler, taskExists;
        HRESULT accountResult;
        const wchar_t* account;
        std::string seen;
    } cases[] = {
        {"no scheduler object", false, false, S_OK, L"", none + "|account required|icons"},
        {"no work item", true, false, S_OK, L"", none + "|account required|icons"},
        {"domain account", true, true, S_OK, L"OFFICE\\operator", task + "operator|account required|icons"},
        {"no security services", true, true, SCHED_E_NO_SECURITY_SERVICES, L"",
         task + user + "|no account|icons"},
        {"account unreadable", true, true, E_ACCESSDENIED, L"", task + user + "|account required|icons"},
        {"account too long", true, true, S_OK, tooLong.c_str(), task + user + "|account required|icons"},
    };
    for (const auto& c : cases) {
        SchedulerState state;
        state.failing["GetAccountInformation"] = c.accountResult;
        if (c.taskExists) state.stored[L"Ferrolink"].account = c.account;
        {
            ProbedMainDialog dialog(c.scheduler ? &state : nullptr);
            EXPECT_EQ(dialog.DoModal(), IDCANCEL) << c.what;
            EXPECT_EQ(dialog.seen, c.seen) << c.what;
        }
        EXPECT_EQ(state.live, 0) << c.what << ": the work item was kept";
    }
}

// A process that has already ended with `code`.
HANDLE EndedProcess(DWORD code) {
    std::string commandLine = "cmd.exe /c exit " + std::to_string(code);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info)) {
        return nullptr;
    }
    CloseHandle(info.hThread);
    WaitForSingleObject(info.hProcess, 10000);
    return info.hProcess;
}

TEST_F(MainDialogStartup, OnlyTimer111ReadsTheRunAndItsHandleIsClosedOnceTheCodeIsKnown) {
    HANDLE run = EndedProcess(14);
    ASSERT_NE(run, nullptr);
    {
        ProbedMainDialog dialog(nullptr, run);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(dialog.afterTimers, "259 held 14 closed ");
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(run, &flags)) << "the handle is still open";
}

// The About item ends the system menu after a separator, with the text of string 101; a
// resource library whose string 101 is empty leaves it out.
TEST_F(MainDialogStartup, TheSystemMenuEndsWithTheAboutItemUnlessTheLibraryEmptiesItsText) {
    for (const char* library : {"", "ui_partial_lang.dll"}) {
        if (*library != '\0') {
            ASSERT_TRUE(UseResourceLibrary(library));
        }
        ProbedMainDialog dialog(nullptr);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        if (*library == '\0') {
            EXPECT_EQ(dialog.menuEnd, "separator|16 &About ...");
        } else {
            EXPECT_EQ(dialog.menuEnd.find("16 "), std::string::npos) << dialog.menuEnd;
        }
        SetResourceModule(nullptr);
    }
}

}  // namespace
