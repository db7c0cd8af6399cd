// The main dialog's start-up in this process, against a Task Scheduler stand-in that can give
// every answer Windows gives (Wine's cannot: it keeps no accounts and has security services),
// with the program's own resources and, for the About box and its menu item, an incomplete
// resource library.
#include <gtest/gtest.h>

#include <windows.h>
#include <mstask.h>

#include <atomic>
#include <string>
#include <vector>

#include "client_contract.h"
#include "main_dialog.h"
#include "program_texts.h"
#include "resource.h"
#include "resource_module.h"
#include "settings_store.h"
#include "ui_test_support.h"
#include "win_handles.h"

namespace {

std::atomic<int> g_liveTasks{0};

// A work item that answers the account question as told; everything else is not needed here.
class FakeTask : public ITask {
public:
    FakeTask(HRESULT accountResult, std::wstring account)
        : m_accountResult(accountResult), m_account(std::move(account)) {
        ++g_liveTasks;
    }
    virtual ~FakeTask() { --g_liveTasks; }

    HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_ITask || iid == IID_IScheduledWorkItem) {
            *out = static_cast<ITask*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return ++m_references; }
    ULONG WINAPI Release() override {
        const ULONG left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT WINAPI GetAccountInformation(LPWSTR* account) override {
        if (FAILED(m_accountResult)) {
            return m_accountResult;
        }
        const std::size_t bytes = (m_account.size() + 1) * sizeof(wchar_t);
        *account = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
        memcpy(*account, m_account.c_str(), bytes);
        return S_OK;
    }

    HRESULT WINAPI CreateTrigger(WORD*, ITaskTrigger**) override { return E_NOTIMPL; }
    HRESULT WINAPI DeleteTrigger(WORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTriggerCount(WORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTrigger(WORD, ITaskTrigger**) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTriggerString(WORD, LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetRunTimes(const LPSYSTEMTIME, const LPSYSTEMTIME, WORD*, LPSYSTEMTIME*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI GetNextRunTime(SYSTEMTIME*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetIdleWait(WORD, WORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetIdleWait(WORD*, WORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI Run() override { return E_NOTIMPL; }
    HRESULT WINAPI Terminate() override { return E_NOTIMPL; }
    HRESULT WINAPI EditWorkItem(HWND, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetMostRecentRunTime(SYSTEMTIME*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetStatus(HRESULT*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetExitCode(DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetComment(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetComment(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetCreator(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetCreator(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetWorkItemData(WORD, BYTE[]) override { return E_NOTIMPL; }
    HRESULT WINAPI GetWorkItemData(WORD*, BYTE**) override { return E_NOTIMPL; }
    HRESULT WINAPI SetErrorRetryCount(WORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetErrorRetryCount(WORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetErrorRetryInterval(WORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetErrorRetryInterval(WORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetFlags(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetFlags(DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetAccountInformation(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetApplicationName(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetApplicationName(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetParameters(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetParameters(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetWorkingDirectory(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetWorkingDirectory(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetPriority(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetPriority(DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetTaskFlags(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTaskFlags(DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI SetMaxRunTime(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI GetMaxRunTime(DWORD*) override { return E_NOTIMPL; }

private:
    ULONG m_references = 1;
    HRESULT m_accountResult;
    std::wstring m_account;
};

// A scheduler whose stored work item exists or not, with the account answer of the case.
class FakeScheduler : public ITaskScheduler {
public:
    FakeScheduler(HRESULT activateResult, HRESULT accountResult, std::wstring account)
        : m_activateResult(activateResult), m_accountResult(accountResult),
          m_account(std::move(account)) {}
    virtual ~FakeScheduler() = default;

    std::vector<std::wstring> activated;

    HRESULT WINAPI QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_ITaskScheduler) {
            *out = static_cast<ITaskScheduler*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Owned by the test; the dialog's references only count.
    ULONG WINAPI AddRef() override { return ++m_references; }
    ULONG WINAPI Release() override { return --m_references; }
    ULONG References() const { return m_references; }

    HRESULT WINAPI Activate(LPCWSTR name, REFIID, IUnknown** item) override {
        activated.emplace_back(name);
        if (FAILED(m_activateResult)) {
            return m_activateResult;
        }
        *item = new FakeTask(m_accountResult, m_account);
        return S_OK;
    }
    HRESULT WINAPI SetTargetComputer(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTargetComputer(LPWSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI Enum(IEnumWorkItems**) override { return E_NOTIMPL; }
    HRESULT WINAPI Delete(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI NewWorkItem(LPCWSTR, REFCLSID, REFIID, IUnknown**) override { return E_NOTIMPL; }
    HRESULT WINAPI AddWorkItem(LPCWSTR, IScheduledWorkItem*) override { return E_NOTIMPL; }
    HRESULT WINAPI IsOfType(LPCWSTR, REFIID) override { return E_NOTIMPL; }

private:
    ULONG m_references = 1;
    HRESULT m_activateResult;
    HRESULT m_accountResult;
    std::wstring m_account;
};

// What the main dialog shows and holds when its start-up is over.
struct StartupState {
    std::string checkText;
    std::string taskText;
    bool deleteEnabled = false;
    bool accountRequired = false;
    std::string accountUser;
    std::string errorCaption;
    std::string noTaskText;
    std::vector<std::pair<UINT, std::string>> systemMenuTail;  // the last two items
};

class ProbedMainDialog : public MainDialog {
public:
    // `scheduler` stands in for the Task Scheduler; nullptr for none.
    explicit ProbedMainDialog(ITaskScheduler* scheduler) {
        if (scheduler != nullptr) {
            scheduler->AddRef();
            m_scheduler.reset(scheduler);
        }
    }
    StartupState state;
    std::function<void(ProbedMainDialog&)> afterStartup = [](ProbedMainDialog& d) {
        PostMessageA(d.Window(), WM_COMMAND, IDCANCEL, 0);
    };

protected:
    BOOL OnInitDialog() override {
        const BOOL result = MainDialog::OnInitDialog();
        state.checkText = m_checkStatic.Text();
        state.taskText = m_taskStatic.Text();
        state.deleteEnabled = m_deleteButton.IsEnabled();
        state.accountRequired = m_accountRequired;
        state.accountUser = m_accountUser;
        state.errorCaption = g_errorCaption;
        state.noTaskText = g_noTaskText;
        HMENU menu = GetSystemMenu(Window(), FALSE);
        const int count = GetMenuItemCount(menu);
        for (int i = count - 2; i >= 0 && i < count; ++i) {
            char text[64] = {};
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            state.systemMenuTail.emplace_back(GetMenuItemID(menu, i), text);
        }
        afterStartup(*this);
        return result;
    }
};

void SetText(HKEY root, const char* path, const char* name, const std::string& value) {
    RegistryKey key;
    ASSERT_EQ(RegCreateKeyA(root, path, key.put()), ERROR_SUCCESS);
    RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

std::string LoggedOnUser() {
    char name[257] = {};
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? name : "";
}

class MainDialogStartup : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramTexts();
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        m_folder = std::string(temp) + "ferrolink-ui-test";
        CreateDirectoryA(m_folder.c_str(), nullptr);
        // An installed client without profiles is enough here.
        SetText(HKEY_LOCAL_MACHINE, kVpnClientKey, kVpnClientInstallPathValue, m_folder);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        ConnectorSettings stored;
        stored.intervalMinutes = 15;
        ASSERT_EQ(SaveSettings(stored), 0);
    }
    void TearDown() override {
        SetResourceModule(nullptr);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        ResetProgramTexts();
    }
    std::string m_folder;
};

TEST_F(MainDialogStartup, TheTaskDisplayAndTheAccountFollowTheWorkItem) {
    const std::string user = LoggedOnUser();
    const std::wstring longAccount(300, L'a');
    struct Case {
        const char* what;
        bool scheduler;
        HRESULT activate;
        HRESULT account;
        const wchar_t* accountName;
        bool taskShown;
        bool accountRequired;
        std::string accountUser;
    };
    const Case cases[] = {
        {"no scheduler object", false, S_OK, S_OK, L"", false, true, user},
        {"no work item", true, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), S_OK, L"", false, true, user},
        {"domain account", true, S_OK, S_OK, L"OFFICE\\operator", true, true, "operator"},
        {"final backslash", true, S_OK, S_OK, L"OFFICE\\operator\\", true, true, "operator"},
        {"plain account", true, S_OK, S_OK, L"operator", true, true, "operator"},
        {"no security services", true, S_OK, SCHED_E_NO_SECURITY_SERVICES, L"", true, false, user},
        {"account unreadable", true, S_OK, E_ACCESSDENIED, L"", true, true, user},
        {"account too long", true, S_OK, S_OK, longAccount.c_str(), true, true, user},
    };
    for (const auto& c : cases) {
        FakeScheduler scheduler(c.activate, c.account, c.accountName);
        {
            ProbedMainDialog dialog(c.scheduler ? &scheduler : nullptr);
            EXPECT_EQ(dialog.DoModal(), IDCANCEL) << c.what;
            const StartupState& s = dialog.state;
            EXPECT_EQ(s.checkText, c.taskShown ? "once per 15 mins" : "no checking set") << c.what;
            EXPECT_EQ(s.taskText, c.taskShown ? "Ferrolink" : "no task") << c.what;
            EXPECT_EQ(s.deleteEnabled, c.taskShown) << c.what;
            EXPECT_EQ(s.accountRequired, c.accountRequired) << c.what;
            EXPECT_EQ(s.accountUser, c.accountUser) << c.what;
            EXPECT_EQ(s.noTaskText, "no task") << c.what;
        }
        EXPECT_EQ(scheduler.activated,
                  c.scheduler ? std::vector<std::wstring>{L"Ferrolink"} : std::vector<std::wstring>{})
            << c.what;
        EXPECT_EQ(g_liveTasks, 0) << c.what << ": a work item was not released";
        EXPECT_EQ(scheduler.References(), 1u) << c.what;
    }
}

// "&About ..." is added to the system menu only when its string is not empty; choosing it
// opens the About box, with the program's icon even from a library that has none.
TEST_F(MainDialogStartup, TheAboutItemAndTheAboutBoxFollowTheResourceModule) {
    for (const bool withLibrary : {false, true}) {
        SetResourceModule(nullptr);
        if (withLibrary) {
            ASSERT_TRUE(UseResourceLibrary(PartialLangPath().c_str()));
        }
        std::string aboutCaption;
        HICON aboutIcon = nullptr;
        ProbedMainDialog dialog(nullptr);
        dialog.afterStartup = [&](ProbedMainDialog& d) {
            PostMessageA(d.Window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        };
        HWND mainWindow = nullptr;
        WhenModal closeAbout([&](HWND about) {
            mainWindow = GetWindow(about, GW_OWNER);
            aboutCaption = WindowText(about);
            aboutIcon = reinterpret_cast<HICON>(
                SendMessageA(GetWindow(about, GW_CHILD), STM_GETICON, 0, 0));
            PostMessageA(about, WM_COMMAND, IDOK, 0);
            PostMessageA(mainWindow, WM_COMMAND, IDCANCEL, 0);
        }, [](HWND window) { return GetWindow(window, GW_OWNER) != nullptr; });
        // As in the program, the main dialog is the application's main window: it owns the
        // About box.
        ProbeApplication application([&](ProbeApplication& app) {
            app.SetMainWindow(&dialog);
            EXPECT_EQ(dialog.DoModal(), IDCANCEL);
            app.SetMainWindow(nullptr);
        });
        application.Run();
        const auto& tail = dialog.state.systemMenuTail;
        ASSERT_EQ(tail.size(), 2u);
        if (withLibrary) {
            EXPECT_NE(tail[1].first, static_cast<UINT>(IDM_ABOUTBOX));
            EXPECT_EQ(dialog.state.errorCaption, "Fehler");
            EXPECT_EQ(aboutCaption, "Info");
        } else {
            EXPECT_EQ(tail[0].first, 0u);  // the separator
            EXPECT_EQ(tail[1], (std::pair<UINT, std::string>{IDM_ABOUTBOX, "&About ..."}));
            EXPECT_EQ(aboutCaption, "About FerrolinkConfig_WIN");
        }
        EXPECT_TRUE(closeAbout.Ran());
        EXPECT_NE(mainWindow, nullptr);
        EXPECT_NE(aboutIcon, nullptr) << "library " << withLibrary;
    }
}

}  // namespace
