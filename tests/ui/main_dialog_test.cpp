// The main dialog's start-up in this process: what it shows and holds for every answer of the
// Task Scheduler (a stand-in, or no scheduler object at all), and the program's texts.
#include <gtest/gtest.h>

#include <windows.h>
#include <mstask.h>

#include <cstring>
#include <string>

#include "client_contract.h"
#include "main_dialog.h"
#include "program_texts.h"
#include "settings_store.h"

#include "task_scheduler_stand_in.h"

namespace {

// Records the dialog's state when its start-up is over, then cancels it.
class ProbedMainDialog : public MainDialog {
public:
    explicit ProbedMainDialog(std::unique_ptr<TaskScheduler> scheduler = nullptr) {
        m_scheduler.UseScheduler(std::move(scheduler));
    }
    std::string checkText, taskText, accountUser;
    bool deleteEnabled = false, accountRequired = false, bothIconsSet = false;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = MainDialog::OnInitDialog();
        checkText = m_checkStatic.Text();
        taskText = m_taskStatic.Text();
        deleteEnabled = m_deleteButton.IsEnabled();
        accountRequired = m_accountRequired;
        accountUser = m_accountUser;
        bothIconsSet = m_hIcon != nullptr &&
                       SendMessageA(Window(), WM_GETICON, ICON_BIG, 0) == reinterpret_cast<LRESULT>(m_hIcon) &&
                       SendMessageA(Window(), WM_GETICON, ICON_SMALL, 0) == reinterpret_cast<LRESULT>(m_hIcon);
        PostMessageA(Window(), WM_COMMAND, IDCANCEL, 0);
        return result;
    }
};

class MainDialogStartup : public ::testing::Test {
protected:
    // An installed client without profiles, and no stored settings.
    void SetUp() override {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kVpnClientKey, kVpnClientInstallPathValue,
                                  REG_SZ, folder, static_cast<DWORD>(std::strlen(folder) + 1)),
                  ERROR_SUCCESS);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    }
    void TearDown() override { ResetProgramTexts(); }
};

TEST_F(MainDialogStartup, TheTaskDisplayAndTheAccountFollowTheWorkItem) {
    char name[257] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(GetUserNameA(name, &size));
    const std::string user = name;
    const std::wstring tooLong(300, L'a');
    const struct {
        const char* what;
        bool scheduler, taskExists;
        HRESULT accountResult;
        const wchar_t* account;
        bool accountRequired;
        std::string accountUser;
    } cases[] = {
        {"no scheduler object", false, false, S_OK, L"", true, user},
        {"no work item", true, false, S_OK, L"", true, user},
        {"domain account", true, true, S_OK, L"OFFICE\\operator", true, "operator"},
        {"no security services", true, true, SCHED_E_NO_SECURITY_SERVICES, L"", false, user},
        {"account unreadable", true, true, E_ACCESSDENIED, L"", true, user},
        {"account too long", true, true, S_OK, tooLong.c_str(), true, user},
    };
    // The stand-in gives answers that Wine's Task Scheduler cannot: Wine keeps no accounts and
    // has security services.
    for (const auto& c : cases) {
        SchedulerStandInState state;
        state.getAccount = c.accountResult;
        if (c.taskExists) {
            state.stored[L"Ferrolink"].account = c.account;
        }
        {
            ProbedMainDialog dialog(c.scheduler ? MakeSchedulerStandIn(state) : nullptr);
            EXPECT_EQ(dialog.DoModal(), IDCANCEL) << c.what;
            EXPECT_EQ(dialog.checkText, c.taskExists ? "once per 10 mins" : "no checking set")
                << c.what;
            EXPECT_EQ(dialog.taskText, c.taskExists ? "Ferrolink" : "no task") << c.what;
            EXPECT_EQ(dialog.deleteEnabled, c.taskExists) << c.what;
            EXPECT_EQ(dialog.accountRequired, c.accountRequired) << c.what;
            EXPECT_EQ(dialog.accountUser, c.accountUser) << c.what;
        }
        EXPECT_EQ(state.liveObjects, 0) << c.what << ": the work item was kept";
    }
}

TEST_F(MainDialogStartup, SetsItsIconAndLoadsTheProgramTextsThatResetEmptiesAgain) {
    const auto texts = [] {
        return g_errorCaption + "|" + g_warningCaption + "|" + g_confirmationCaption + "|" +
               g_noTaskText;
    };
    ProbedMainDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(dialog.bothIconsSet);
    EXPECT_EQ(texts(), "Error|Warning|Confirmation|no task");
    ResetProgramTexts();
    EXPECT_EQ(texts(), "|||");
}

}  // namespace
