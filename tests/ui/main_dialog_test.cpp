// The main dialog in this process, run as the program runs it, against a stand-in Task
// Scheduler, logon check and scheduler service: Wine's own accept every account and fail
// nothing on demand. Its message boxes and the credentials dialog are real; a thread timer
// plays the user, describes every window that opens and records every logon check.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include "application.h"
#include "installed_client.h"
#include "main_dialog.h"
#include "resource_module.h"
#include "settings_store.h"
#include "stand_ins.h"

namespace {

using Texts = std::vector<std::string>;

// Gives the answer that the user is about to give, and records what it was asked.
class ScriptedLogon : public LogonChecker {
public:
    LogonOutcome next = LogonOutcome::Accepted;
    Texts* seen = nullptr;
    LogonOutcome TryBatchLogon(const std::string& user, const std::string& password) override {
        seen->push_back("logon " + user + "|" + password);
        return next;
    }
};

// Plays `actions` on the windows that open over `home`, one a tick: a window is described in
// `seen` when it first becomes active (a box whole, the credentials dialog as its caption,
// fields and focus; "<owner" unless the owner is `home`, "<no owner" for none). "front:..."
// types at the start of the user name, "password:..." into the password; "ok", "ok:rejected",
// "ok:not allowed", "yes", "no" and "cancel" end the window as a user would. With no action
// left, `home` active again is cancelled; after two idle seconds it is all the same, and after ten
// seconds every window of the run is, so that a fault fails rather than hangs.
class Autopilot {
public:
    static Autopilot* current;
    std::deque<std::string> actions;
    Texts seen;
    HWND home = nullptr;
    ScriptedLogon* logon = nullptr;
    Autopilot() : m_timer(SetTimer(nullptr, 0, 20, Tick)) { current = this; }
    ~Autopilot() {
        KillTimer(nullptr, m_timer);
        current = nullptr;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { current->Step(); }
    static BOOL CALLBACK Cancel(HWND window, LPARAM) {
        return PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    }
    void Step() {
        if (++m_ticks > 500) {  // ten seconds: whatever is open is cancelled
            if (m_ticks == 501) ADD_FAILURE() << "the run did not end";
            EnumThreadWindows(GetCurrentThreadId(), Cancel, 0);
            return;
        }
        HWND active = GetActiveWindow();
        if (active == nullptr || active == m_closing) return;
        if (active == home) {
            ++m_homeTicks;
            if ((actions.empty() && m_homeTicks >= 2) || m_homeTicks >= 100) {
                PostMessageA(home, WM_COMMAND, IDCANCEL, 0);
            }
            return;
        }
        m_homeTicks = 0;
        if (std::find(m_described.begin(), m_described.end(), active) == m_described.end()) {
            m_described.push_back(active);
            HWND owner = GetWindow(active, GW_OWNER);
            const auto field = [active](int id) { return WindowText(GetDlgItem(active, id)); };
            seen.push_back((GetDlgItem(active, IDC_ACCOUNT_PASSWORD_EDIT) != nullptr
                                ? WindowText(active) + "|" + field(IDC_ACCOUNT_USER_EDIT) + "|" +
                                      field(IDC_ACCOUNT_PASSWORD_EDIT) + "|" +
                                      std::to_string(GetDlgCtrlID(GetFocus()))
                                : DescribeBox(active)) +
                           (owner == home ? ""
                            : owner == nullptr || owner == GetDesktopWindow()
                                ? "<no owner"
                                : "<" + WindowText(owner)));
        }
        if (actions.empty()) {
            ADD_FAILURE() << "no action left for " << seen.back();
            actions.push_back("cancel");
        }
        const std::string action = actions.front();
        actions.pop_front();
        const auto type = [active](int id, const std::string& text) {
            for (const char c : text)
                SendDlgItemMessageA(active, id, WM_CHAR, static_cast<unsigned char>(c), 0);
        };
        if (action.rfind("front:", 0) == 0) {
            SendDlgItemMessageA(active, IDC_ACCOUNT_USER_EDIT, EM_SETSEL, 0, 0);
            return type(IDC_ACCOUNT_USER_EDIT, action.substr(6));
        }
        if (action.rfind("password:", 0) == 0)
            return type(IDC_ACCOUNT_PASSWORD_EDIT, action.substr(9));
        if (action == "ok:rejected") logon->next = LogonOutcome::Rejected;
        if (action == "ok:not allowed") logon->next = LogonOutcome::NotAllowedToTest;
        if (action == "ok") logon->next = LogonOutcome::Accepted;
        m_closing = active;
        const int button = action == "yes"      ? IDYES
                           : action == "no"     ? IDNO
                           : action == "cancel" ? IDCANCEL
                                                : IDOK;
        PostMessageA(active, WM_COMMAND, button, 0);
        // A refused pair keeps the dialog open: it may take the next action after its box.
        if (action == "ok:rejected") m_closing = nullptr;
    }
    UINT_PTR m_timer;
    std::vector<HWND> m_described;
    HWND m_closing = nullptr;
    int m_homeTicks = 0, m_ticks = 0;
};
Autopilot* Autopilot::current = nullptr;

struct Entries {
    std::string profile, user, password;
    bool checksDisabled, accountRequired;
};

// The main dialog that records what its start-up showed; with entries, it takes them as a
// user's (interval "5") and presses OK, and records the task display afterwards. Given a
// finished connect run, it sends timer 112 and timer 111 and records what each left.
class ProbedDialog : public MainDialog {
public:
    ProbedDialog(LogonChecker& logon, ServiceStandIn& service, SchedulerState* scheduler)
        : MainDialog(logon, service) {
        if (scheduler != nullptr)
            m_scheduler.UseScheduler(std::make_unique<StandInScheduler>(*scheduler));
    }
    const Entries* entries = nullptr;
    const VpnClientRequest* run = nullptr;
    std::string startup, menuEnd, afterTimers, display;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = MainDialog::OnInitDialog();
        Autopilot::current->home = Window();
        const auto icon = [this](WPARAM kind) {
            return SendMessageA(Window(), WM_GETICON, kind, 0) ==
                   reinterpret_cast<LRESULT>(m_hIcon);
        };
        startup =
            m_checkStatic.Text() + "|" + m_taskStatic.Text() +
            (IsWindowEnabled(m_deleteButton.Window()) ? "|delete on|" : "|delete off|") +
            m_accountUser + (m_accountRequired ? "|account required" : "|no account") +
            (m_hIcon != nullptr && icon(ICON_BIG) && icon(ICON_SMALL) ? "|icons" : "|no icons");
        // The last two items of the system menu: "separator" or "<id> <text>".
        const HMENU menu = GetSystemMenu(Window(), FALSE);
        for (int at = GetMenuItemCount(menu) - 2; at < GetMenuItemCount(menu); ++at) {
            char text[64] = {};
            GetMenuStringA(menu, static_cast<UINT>(at), text, sizeof text, MF_BYPOSITION);
            const bool separator =
                GetMenuState(menu, static_cast<UINT>(at), MF_BYPOSITION) & MF_SEPARATOR;
            menuEnd += (menuEnd.empty() ? "" : "|") +
                       (separator ? std::string("separator")
                                  : std::to_string(GetMenuItemID(menu, at)) + " " + text);
        }
        if (run != nullptr) {
            m_test = std::make_unique<ConnectionTest>(*run);
            m_test->Begin();
            SendMessageA(Window(), WM_TIMER, 112, 0);
            afterTimers = m_test ? "held" : "ended";
            for (int tick = 0; m_test && tick < 200; ++tick) {
                Sleep(50);
                SendMessageA(Window(), WM_TIMER, 111, 0);
            }
            afterTimers += m_test ? " held" : " ended";
        }
        if (entries != nullptr) {
            m_profileName = entries->profile;
            m_profileUser = entries->user;
            m_profilePassword = entries->password;
            m_intervalText = "5";
            m_checksDisabled = entries->checksDisabled;
            m_accountRequired = entries->accountRequired;
            m_accountUser = "operator";
            PostMessageA(Window(), WM_COMMAND, IDOK, 0);
        }
        return result;
    }
    void OnOK() override {
        MainDialog::OnOK();
        display = m_taskStatic.Text() + (IsWindowEnabled(m_deleteButton.Window()) ? " on" : " off");
    }
};

// A stored value as text; a REG_DWORD as "#" and its number, a missing one as "-".
std::string Setting(const char* name) {
    char data[512] = {};
    DWORD type = 0, size = sizeof data;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name, RRF_RT_ANY, &type, data, &size) != 0)
        return "-";
    return type == REG_DWORD ? "#" + std::to_string(*reinterpret_cast<DWORD*>(data)) : data;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The stored work item: account|password|application|parameters|each trigger's interval. The
// rest of the trigger is proven against Wine's Task Scheduler.
std::string Item(const SchedulerState& state) {
    const auto found = state.stored.find(L"Ferrolink");
    if (found == state.stored.end()) return "none";
    const StandInItem& item = found->second;
    std::string triggers;
    for (const TASK_TRIGGER& t : item.triggers) triggers += std::to_string(t.MinutesInterval) + " ";
    return Narrow(item.account) + "|" + Narrow(item.password) + "|" + Narrow(item.application) +
           "|" + Narrow(item.parameters) + "|" + triggers;
}

// The settings key with only "InstallPath" (and "TriggerID" when not negative).
void PrepareSettings(const std::string& installPath, long triggerId) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKey, "InstallPath", REG_SZ, installPath.c_str(),
                    static_cast<DWORD>(installPath.size() + 1));
    const DWORD value = static_cast<DWORD>(triggerId);
    if (triggerId >= 0)
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKey, "TriggerID", REG_DWORD, &value,
                        sizeof value);
}

// The old work item that a row may start with: another program, a trigger every 30 minutes.
StandInItem OldItem() {
    TASK_TRIGGER trigger{};
    trigger.MinutesInterval = 30;
    return {L"", L"", L"old.exe", L"\"Old\"", {trigger}};
}

// What one run of the dialog showed and left.
struct Outcome {
    INT_PTR result;
    Texts seen;  // the windows it opened and the logon checks, in order
    std::string startup, menuEnd, afterTimers, display;
};

// The program's main dialog run by the application, as the program runs it, against the
// fixture's stand-ins (each row sets them up anew).
class MainDialogRun : public ::testing::Test, public Application {
protected:
    void SetUp() override { ASSERT_TRUE(InstallClient()); }
    void TearDown() override {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        SetMainWindow(nullptr);
        SetResourceModule(nullptr);
    }
    BOOL InitInstance() override {
        m_result = MainWindow()->DoModal();
        return FALSE;
    }
    // Runs the dialog until it ends, with the Task Scheduler unless `withScheduler` is false.
    // No action may be left, and no work item or trigger unreleased.
    Outcome Play(const Entries* entries, const Texts& actions, bool withScheduler = true,
                 const VpnClientRequest* run = nullptr) {
        Autopilot pilot;
        pilot.logon = &logon;
        logon.seen = &pilot.seen;
        pilot.actions.assign(actions.begin(), actions.end());
        ProbedDialog dialog(logon, service, withScheduler ? &scheduler : nullptr);
        dialog.entries = entries;
        dialog.run = run;
        SetMainWindow(&dialog);
        Application::Run();
        SetMainWindow(nullptr);
        EXPECT_TRUE(pilot.actions.empty()) << "actions left";
        EXPECT_EQ(scheduler.live, 0) << "a work item or trigger was kept";
        return {m_result,       pilot.seen,         dialog.startup,
                dialog.menuEnd, dialog.afterTimers, dialog.display};
    }
    SchedulerState scheduler;
    ServiceStandIn service;
    ScriptedLogon logon;
    INT_PTR m_result = 0;
};

TEST_F(MainDialogRun, StartUpShowsTheWorkItemAndTheAccountItFinds) {
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
        std::string startup;
    } cases[] = {
        {"no scheduler object", false, false, S_OK, L"", none + "|account required|icons"},
        {"no work item", true, false, S_OK, L"", none + "|account required|icons"},
        {"domain account", true, true, S_OK, L"OFFICE\\operator",
         task + "operator|account required|icons"},
        {"no security services", true, true, SCHED_E_NO_SECURITY_SERVICES, L"",
         task + user + "|no account|icons"},
        {"account unreadable", true, true, E_ACCESSDENIED, L"",
         task + user + "|account required|icons"},
        {"account too long", true, true, S_OK, tooLong.c_str(),
         task + user + "|account required|icons"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        scheduler = SchedulerState{};
        scheduler.failing["GetAccountInformation"] = c.accountResult;
        if (c.taskExists) scheduler.stored[L"Ferrolink"].account = c.account;
        const Outcome o = Play(nullptr, {}, c.scheduler);
        EXPECT_EQ(std::make_tuple(o.result, o.startup, o.seen),
                  std::make_tuple(IDCANCEL, c.startup, Texts{}));
    }
}

const char kConfirm[] =
    "Confirmation|Do you really want to delete the task?\n\nClick Yes to delete the task or "
    "No to leave the task active.|exclamation YesNo";
const char kDeleteFailed[] = "Error|Failed to delete the task.|hand OK";
const char kNoProfile[] =
    "Warning|No profile seleced.\n\nSelect a profile and try again.|exclamation OK";
const char kEmpty[] =
    "Warning|No profile username and/or password set.\n\nThe scheduled task cannot connect "
    "without them: enter both.|exclamation OK";
const char kQuote[] =
    "Warning|The profile username and password must not contain a double quote (\").\n\n"
    "Enter them without double quotes.|exclamation OK";
const char kSlash[] =
    "Warning|The profile username and password must not begin with a slash (/).\n\nEnter them "
    "without a leading slash.|exclamation OK";
const char kOptionProfile[] =
    "Warning|A profile named -l, -i, -u or -p cannot be checked by the scheduled task."
    "\n\nRename the profile file or select another profile.|exclamation OK";
const char kStart[] =
    "Warning|Task Scheduler is not running! Do you want to start the Task Scheduler?\n\nClick "
    "Yes to start the Task Scheduler or No to leave it turned off.|exclamation YesNo<no owner";
const char kNotStarted[] =
    "Error|Unable to start the Task Scheduler service. The task will not be executing until "
    "the service will be started.|hand OK";
const char kRefused[] =
    "Warning|The specified username and password is invalid.\n\nEnter valid username and "
    "password.|exclamation OK<Windows login credentials";
// It opens with the account's name, an empty password and the focus on the password.
const char kAccount[] = "Windows login credentials|operator||1015";
const std::string kApplied = "C:\\Prog\\FL\\Ferrolink.exe|\"Office\" -u \"jo\" -p \"s3cret\"|";
const std::string kCreated = "operator|pw|" + kApplied + "5 ", kOld = "||old.exe|\"Old\"|30 ";
const std::string kSaved = "Office|#5|jo|s3cret|", kNotSaved = "-|-|-|-|-";

// Every row of OK's and Delete's outcomes, and each way of ending the credentials dialog:
// the windows shown and the logon checks made, whole; the dialog's result; every stored
// setting; the stored work item; the task display.
TEST_F(MainDialogRun, OkAndDeleteShowSaveAndChangeWhatEachSituationCallsFor) {
    const Entries entries = {"Office", "jo", "s3cret", false, true};
    const Entries disabled = {"", "jo", "s3cret", true, true},
                  noProfile = {"", "jo", "s3cret", false, true};
    const Entries noPassword = {"Office", "jo", "", false, true},
                  noAccount = {"Office", "jo", "s3cret", false, false};
    const Entries quoted = {"Office", "jo", "pw\" -l \"C:\\anywhere.log", false, true};
    const Entries slashed = {"Office", "jo", "/pw", false, true},
                  optionLike = {"-L", "jo", "s3cret", false, true};
    const std::string checked = "logon operator|pw";
    const struct {
        const char* what;
        Entries entries;
        bool taskBefore;
        DWORD serviceState;
        Texts actions, seen;
        std::string settings, item, display;
        INT_PTR result;
        const char* serviceFails = "";
    } cases[] = {
        {"disable checks, yes",
         disabled,
         true,
         SERVICE_RUNNING,
         {"yes"},
         {kConfirm},
         "|#5|jo|s3cret|-",
         "none",
         "no task off",
         IDOK},
        {"disable checks, yes, no task",
         disabled,
         false,
         SERVICE_RUNNING,
         {"yes", "ok"},
         {kConfirm, kDeleteFailed},
         "|#5|jo|s3cret|-",
         "none",
         "no task off",
         IDOK},
        {"disable checks, no",
         disabled,
         true,
         SERVICE_RUNNING,
         {"no"},
         {kConfirm},
         kNotSaved,
         kOld,
         "Ferrolink on",
         IDOK},
        {"no profile",
         noProfile,
         false,
         SERVICE_RUNNING,
         {"ok"},
         {kNoProfile},
         kNotSaved,
         "none",
         "no task off",
         IDCANCEL},
        {"empty password",
         noPassword,
         false,
         SERVICE_RUNNING,
         {"ok"},
         {kEmpty},
         kNotSaved,
         "none",
         "no task off",
         IDCANCEL},
        {"double quote in the password",
         quoted,
         false,
         SERVICE_RUNNING,
         {"ok"},
         {kQuote},
         kNotSaved,
         "none",
         "no task off",
         IDCANCEL},
        {"password that begins with a slash",
         slashed,
         false,
         SERVICE_RUNNING,
         {"ok"},
         {kSlash},
         kNotSaved,
         "none",
         "no task off",
         IDCANCEL},
        {"profile named like an option",
         optionLike,
         false,
         SERVICE_RUNNING,
         {"ok"},
         {kOptionProfile},
         kNotSaved,
         "none",
         "no task off",
         IDCANCEL},
        {"otherwise",
         entries,
         false,
         SERVICE_RUNNING,
         {"password:pw", "ok"},
         {kAccount, checked},
         kSaved + "#0",
         kCreated,
         "no task off",
         IDOK},
        {"no account needed",
         noAccount,
         false,
         SERVICE_RUNNING,
         {},
         {},
         kSaved + "#0",
         "||" + kApplied + "5 ",
         "no task off",
         IDOK},
        {"scheduler stopped, start declined",
         entries,
         false,
         SERVICE_STOPPED,
         {"password:pw", "ok", "no"},
         {kAccount, checked, kStart},
         kSaved + "#0",
         kCreated,
         "no task off",
         IDOK},
        // The work item is made all the same, for when the service runs again.
        {"scheduler cannot be started",
         entries,
         false,
         SERVICE_STOPPED,
         {"password:pw", "ok", "yes", "ok"},
         {kAccount, checked, kStart, kNotStarted},
         kSaved + "#0",
         kCreated,
         "no task off",
         IDOK,
         "Start"},
        // Only the check lets a pair through, given the fields as they stand; a refused pair
        // keeps both fields as typed, and each further OK checks again.
        {"a domain typed in front",
         entries,
         false,
         SERVICE_RUNNING,
         {"front:OFFICE\\", "password:s3cret pass", "ok"},
         {kAccount, "logon OFFICE\\operator|s3cret pass"},
         kSaved + "#0",
         "OFFICE\\operator|s3cret pass|" + kApplied + "5 ",
         "no task off",
         IDOK},
        {"not allowed to test, empty password",
         entries,
         false,
         SERVICE_RUNNING,
         {"ok:not allowed"},
         {kAccount, "logon operator|"},
         kSaved + "#0",
         "operator||" + kApplied + "5 ",
         "no task off",
         IDOK},
        {"refused twice, then accepted",
         entries,
         false,
         SERVICE_RUNNING,
         {"front:x", "password:pw", "ok:rejected", "ok", "ok:rejected", "ok", "ok"},
         {kAccount, "logon xoperator|pw", kRefused, "logon xoperator|pw", kRefused,
          "logon xoperator|pw"},
         kSaved + "#0",
         "xoperator|pw|" + kApplied + "5 ",
         "no task off",
         IDOK},
        // Cancel ends it at once, unchecked: the settings are saved, the work item is left as it
        // was. (Esc and the close box become Cancel in Windows' dialog manager.)
        {"credentials cancelled",
         entries,
         true,
         SERVICE_RUNNING,
         {"password:pw", "cancel"},
         {kAccount},
         kSaved + "-",
         kOld,
         "Ferrolink on",
         IDCANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PrepareSettings("C:\\Prog\\FL", -1);
        scheduler = SchedulerState{};
        if (c.taskBefore) scheduler.stored[L"Ferrolink"] = OldItem();
        service = ServiceStandIn{};
        service.state = c.serviceState;
        service.failing = c.serviceFails;
        const Outcome o = Play(&c.entries, c.actions);
        EXPECT_EQ(std::make_tuple(o.result, o.seen, o.display),
                  std::make_tuple(c.result, c.seen, c.display));
        EXPECT_EQ(Setting("Profile") + "|" + Setting("Interval") + "|" +
                      Setting("ProfileUsername") + "|" + Setting("ProfilePassword") + "|" +
                      Setting("TriggerID"),
                  c.settings);
        EXPECT_EQ(Item(scheduler), c.item);
    }
}

// Each apply replaces the trigger of the stored index, so the work item keeps one; a step that
// fails leaves the stored work item as it was, and none of it is reported.
TEST_F(MainDialogRun, TheWorkItemKeepsOneTriggerAndIsNeverSavedHalfDone) {
    const std::string deep = "C:\\" + std::string(386, 'd');  // 389 + "\\Ferrolink.exe" > 399
    const std::string applied = "||" + kApplied;
    const struct {
        const char* what;
        std::string installPath;
        long triggerId;
        const char* failing;
        HRESULT answer;
        bool scheduler, taskBefore;
        std::string item, triggerIdAfter;
    } cases[] = {
        {"second apply, stored index", "C:\\Prog\\FL", 0, "", S_OK, true, true, applied + "5 ",
         "#0"},
        {"no stored index", "C:\\Prog\\FL\\", -1, "", S_OK, true, true, applied + "30 5 ", "#1"},
        {"trigger not made", "C:\\Prog\\FL", 3, "CreateTrigger", E_OUTOFMEMORY, true, true, kOld,
         "#3"},
        {"trigger not set", "C:\\Prog\\FL", 0, "SetTrigger", E_INVALIDARG, true, true, kOld, "#0"},
        {"program path does not fit", deep, 0, "", S_OK, true, true, kOld, "#0"},
        {"program not taken", "C:\\Prog\\FL", 0, "SetApplicationName", E_FAIL, true, true, kOld,
         "#0"},
        {"parameters not taken", "C:\\Prog\\FL", 0, "SetParameters", E_INVALIDARG, true, true, kOld,
         "#0"},
        {"work item not made", "C:\\Prog\\FL", -1, "NewWorkItem", E_ACCESSDENIED, true, false,
         "none", "-"},
        {"no scheduler object", "C:\\Prog\\FL", -1, "", S_OK, false, false, "none", "-"},
    };
    const Entries entries = {"Office", "jo", "s3cret", false, false};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PrepareSettings(c.installPath, c.triggerId);
        scheduler = SchedulerState{};
        scheduler.failing[c.failing] = c.answer;
        if (c.taskBefore) scheduler.stored[L"Ferrolink"] = OldItem();
        service.state = SERVICE_RUNNING;
        const Outcome o = Play(&entries, {}, c.scheduler);
        EXPECT_EQ(std::make_tuple(o.result, o.seen), std::make_tuple(IDOK, Texts{}));
        EXPECT_EQ(Item(scheduler), c.item);
        EXPECT_EQ(Setting("TriggerID"), c.triggerIdAfter);
        EXPECT_EQ(Setting("Profile"), "Office");
    }
}

// Only timer 111 reads the configuration test's run, and the test ends once the code is
// known. The About item ends the system menu after a separator, with the text of string 101.
TEST_F(MainDialogRun, TheTestRunsTimerAndTheSystemMenu) {
    const VpnClientRequest run("C:\\windows\\system32\\cmd.exe", "/c exit 14");
    const Outcome o = Play(nullptr, {}, false, &run);
    EXPECT_EQ(std::make_tuple(o.result, o.afterTimers, o.menuEnd),
              std::make_tuple(IDCANCEL, "held ended", "separator|16 &About ..."));
}

}  // namespace
