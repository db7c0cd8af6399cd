// The OK and delete flows of the main dialog in this process, against an in-memory Task
// Scheduler, a logon check and a scheduler service that answer as told. The flows' message
// boxes and the credentials dialog are real; a thread timer answers them as a user would and
// records what they showed.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "client_contract.h"
#include "main_dialog.h"
#include "program_texts.h"
#include "settings_store.h"
#include "scheduler_service_stand_in.h"
#include "task_scheduler_stand_in.h"

namespace {

std::string WindowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Answers the windows that the flow opens, in order: each answer is a button of a message box,
// or for the credentials dialog "cancel" or a password to type before OK. Once the answers are
// used up and the main dialog is active again, it is cancelled: a flow that left it open ends
// with IDCANCEL. No run waits for ever.
class Responder {
public:
    static Responder* current;
    std::deque<std::string> answers;
    std::vector<std::string> seen;  // "caption: first line", or the credentials dialog's caption
    HWND main = nullptr;

    Responder() {
        current = this;
        m_timer = SetTimer(nullptr, 0, 40, Tick);
    }
    ~Responder() {
        KillTimer(nullptr, m_timer);
        current = nullptr;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current != nullptr) current->Answer();
    }
    void Answer() {
        HWND active = GetActiveWindow();
        if (active == nullptr) return;
        if (active == main) {
            // A flow that did not open what was expected is ended too, after a second.
            ++m_mainTicks;
            if ((answers.empty() && m_mainTicks >= 2) || m_mainTicks >= 25) {
                PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
            }
            return;
        }
        m_mainTicks = 0;
        if (m_answered == active) return;  // closing
        m_answered = active;
        HWND text = GetDlgItem(active, 0xFFFF);
        if (text != nullptr && GetDlgItem(active, IDC_ACCOUNT_PASSWORD_EDIT) == nullptr) {
            const std::string body = WindowText(text);
            seen.push_back(WindowText(active) + ": " + body.substr(0, body.find('\n')));
        } else {
            seen.push_back(WindowText(active));
        }
        const std::string answer = answers.empty() ? "none" : answers.front();
        if (!answers.empty()) answers.pop_front();
        if (answer == "yes") PostMessageA(active, WM_COMMAND, IDYES, 0);
        else if (answer == "no") PostMessageA(active, WM_COMMAND, IDNO, 0);
        else if (answer == "ok") PostMessageA(active, WM_COMMAND, IDOK, 0);
        else if (answer == "cancel") PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
        else if (answer.rfind("password:", 0) == 0) {
            SetDlgItemTextA(active, 1015, answer.substr(9).c_str());
            PostMessageA(active, WM_COMMAND, IDOK, 0);
        } else {
            ADD_FAILURE() << "no answer left for " << seen.back();
            PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
        }
    }
    UINT_PTR m_timer = 0;
    HWND m_answered = nullptr;
    int m_mainTicks = 0;
};
Responder* Responder::current = nullptr;

class LogonStandIn : public LogonChecker {
public:
    std::vector<std::string> checked;  // "user|password"
    LogonOutcome TryBatchLogon(const std::string& user, const std::string& password) override {
        checked.push_back(user + "|" + password);
        return LogonOutcome::Accepted;
    }
};

// The service "Schedule" of a case: its state, whether a start is accepted (else refused with
// ERROR_SERVICE_DISABLED), and the answer to the question whether to start it.
struct ServiceCase {
    DWORD state = SERVICE_RUNNING;
    bool startAccepted = true;
    int answer = IDYES;
};

SchedulerServiceStandIn ServiceFor(const ServiceCase& c) {
    SchedulerServiceStandIn service;
    service.serviceState = c.state;
    service.startAccepted = c.startAccepted;
    service.answer = c.answer;
    return service;
}

// The main dialog with the entries a user made, pressing OK once it shows.
class FlowDialog : public MainDialog {
public:
    struct Entries {
        std::string profile = "Office", user = "jo", password = "s3cret", interval = "5";
        bool checksDisabled = false;
        bool accountRequired = true;
    };
    FlowDialog(LogonChecker& logon, SchedulerServiceStandIn& service, SchedulerStandInState* scheduler,
               Entries entries)
        : MainDialog(logon, service), m_entries(std::move(entries)) {
        if (scheduler != nullptr) m_scheduler.UseScheduler(MakeSchedulerStandIn(*scheduler));
    }
    std::string taskText;
    bool deleteEnabled = true;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = MainDialog::OnInitDialog();
        m_profileName = m_entries.profile;
        m_profileUser = m_entries.user;
        m_profilePassword = m_entries.password;
        m_intervalText = m_entries.interval;
        m_checksDisabled = m_entries.checksDisabled;
        m_accountRequired = m_entries.accountRequired;
        m_accountUser = "operator";
        if (Responder::current != nullptr) Responder::current->main = Window();
        PostMessageA(Window(), WM_COMMAND, IDOK, 0);
        return result;
    }
    void OnOK() override {
        MainDialog::OnOK();
        taskText = m_taskStatic.Text();
        deleteEnabled = m_deleteButton.IsEnabled();
    }

private:
    Entries m_entries;
};

std::string Setting(const char* name) {
    char data[512] = {};
    DWORD type = 0, size = sizeof data;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name, RRF_RT_ANY, &type, data, &size) != 0)
        return "-";
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
    return data;
}

std::string Settings() {
    return Setting("Profile") + "|" + Setting("Interval") + "|" + Setting("ProfileUsername") + "|" +
           Setting("ProfilePassword") + "|" + Setting("TriggerID");
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The stored work item: account|password|application|parameters|intervals of its triggers.
std::string Item(const SchedulerStandInState& state) {
    const auto found = state.stored.find(L"Ferrolink");
    if (found == state.stored.end()) return "none";
    const StandInWorkItem& item = found->second;
    std::string triggers;
    for (const TASK_TRIGGER& t : item.triggers) triggers += std::to_string(t.MinutesInterval) + " ";
    return Narrow(item.account) + "|" + Narrow(item.password) + "|" + Narrow(item.application) +
           "|" + Narrow(item.parameters) + "|" + triggers;
}

class ApplyFlows : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kVpnClientKey, kVpnClientInstallPathValue,
                                  REG_SZ, folder, static_cast<DWORD>(std::strlen(folder) + 1)),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        ResetProgramTexts();
    }
    // Settings key with only "InstallPath" (and "TriggerID" when given).
    static void PrepareSettings(const std::string& installPath, long triggerId) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKey, "InstallPath", REG_SZ,
                        installPath.c_str(), static_cast<DWORD>(installPath.size() + 1));
        if (triggerId >= 0) {
            const DWORD value = static_cast<DWORD>(triggerId);
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKey, "TriggerID", REG_DWORD, &value,
                            sizeof value);
        }
    }
};

const std::string kSaved = "Office|5|jo|s3cret";
const std::string kNotSaved = "-|-|-|-";
const std::string kCreated = "operator|pw|C:\\Prog\\FL\\Ferrolink.exe|\"Office\" -u \"jo\" -p \"s3cret\"|5 ";

StandInWorkItem OldItem() {
    StandInWorkItem item;
    item.application = L"old.exe";
    item.parameters = L"\"Old\"";
    TASK_TRIGGER trigger{};
    trigger.MinutesInterval = 30;
    item.triggers.push_back(trigger);
    return item;
}

TEST_F(ApplyFlows, EachSituationSavesChangesAndClosesAsItShould) {
    using Entries = FlowDialog::Entries;
    Entries noPassword;
    noPassword.password = "";
    Entries noProfile;
    noProfile.profile = "";
    Entries quoted;
    quoted.password = "pw\" -l \"C:\\anywhere.log";
    Entries disabled;
    disabled.checksDisabled = true;
    disabled.profile = "";
    Entries noAccount;
    noAccount.accountRequired = false;
    const std::string yes = "Confirmation: Do you really want to delete the task?";
    const struct {
        const char* what;
        Entries entries;
        bool taskBefore;
        std::vector<std::string> answers;
        std::vector<std::string> seen;
        std::string settings;  // Profile|Interval|User|Password|TriggerID
        std::string item;
        INT_PTR result;
        ServiceCase service;
    } cases[] = {
        {"disable checks, yes", disabled, true, {"yes"}, {yes}, "|5|jo|s3cret|-", "none", IDOK, {}},
        {"disable checks, yes, no task", disabled, false, {"yes", "ok"},
         {yes, "Error: Failed to delete the task."}, "|5|jo|s3cret|-", "none", IDOK, {}},
        {"disable checks, no", disabled, true, {"no"}, {yes}, kNotSaved + "|-",
         "||old.exe|\"Old\"|30 ", IDOK, {}},
        {"no profile", noProfile, false, {"ok"}, {"Warning: No profile seleced."},
         kNotSaved + "|-", "none", IDCANCEL, {}},
        {"empty password, no", noPassword, false, {"no"},
         {"Warning: No profile username and/or password set. Do you want to continue?"},
         kNotSaved + "|-", "none", IDCANCEL, {}},
        {"empty password, yes", noPassword, false, {"yes", "password:pw"},
         {"Warning: No profile username and/or password set. Do you want to continue?",
          "Windows login credentials"},
         "Office|5|jo||0", "operator|pw|C:\\Prog\\FL\\Ferrolink.exe|\"Office\" -u \"jo\"|5 ", IDOK,
         {}},
        {"double quote in the password", quoted, false, {"ok"},
         {"Warning: The profile username and password must not contain a double quote (\")."},
         kNotSaved + "|-", "none", IDCANCEL, {}},
        {"credentials cancelled", {}, true, {"cancel"}, {"Windows login credentials"},
         kSaved + "|-", "||old.exe|\"Old\"|30 ", IDCANCEL, {}},
        {"otherwise", {}, false, {"password:pw"}, {"Windows login credentials"}, kSaved + "|0",
         kCreated, IDOK, {}},
        {"no account needed", noAccount, false, {}, {}, kSaved + "|0",
         "||C:\\Prog\\FL\\Ferrolink.exe|\"Office\" -u \"jo\" -p \"s3cret\"|5 ", IDOK, {}},
        {"scheduler stopped, start declined", {}, false, {"password:pw"},
         {"Windows login credentials"}, kSaved + "|0", kCreated, IDOK,
         {SERVICE_STOPPED, true, IDNO}},
        {"scheduler cannot be started", {}, false, {"password:pw", "ok"},
         {"Windows login credentials", "Error: Unable to start the Task Scheduler service. The "
                                       "task will not be executing until the service will be started."},
         kSaved + "|0", kCreated, IDOK, {SERVICE_STOPPED, false, IDYES}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PrepareSettings("C:\\Prog\\FL", -1);
        SchedulerStandInState scheduler;
        if (c.taskBefore) scheduler.stored[L"Ferrolink"] = OldItem();
        LogonStandIn logon;
        SchedulerServiceStandIn service = ServiceFor(c.service);
        Responder responder;
        responder.answers.assign(c.answers.begin(), c.answers.end());
        INT_PTR result = 0;
        {
            FlowDialog dialog(logon, service, &scheduler, c.entries);
            result = dialog.DoModal();
            if (c.what == std::string("disable checks, yes")) {
                EXPECT_EQ(dialog.taskText, "no task");
                EXPECT_FALSE(dialog.deleteEnabled);
            }
        }
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(responder.seen, c.seen);
        EXPECT_TRUE(responder.answers.empty());
        EXPECT_EQ(Settings(), c.settings);
        EXPECT_EQ(Item(scheduler), c.item);
        EXPECT_EQ(scheduler.liveObjects, 0);
    }
}

// Runs one apply without a Windows account to ask for; gives the dialog's result.
INT_PTR ApplyWithoutAccount(SchedulerStandInState* scheduler) {
    LogonStandIn logon;
    SchedulerServiceStandIn service = ServiceFor({});
    Responder responder;
    FlowDialog::Entries entries;
    entries.accountRequired = false;
    FlowDialog dialog(logon, service, scheduler, entries);
    const INT_PTR result = dialog.DoModal();
    EXPECT_EQ(responder.seen, std::vector<std::string>{});
    EXPECT_TRUE(logon.checked.empty());
    return result;
}

// Each apply replaces the trigger of the stored index, so the work item keeps one; a step that
// fails leaves the stored work item as it was, and none of it is reported.
TEST_F(ApplyFlows, TheWorkItemKeepsOneTriggerAndIsNeverSavedHalfDone) {
    const std::string deep = "C:\\" + std::string(386, 'd');  // 389 + "\\Ferrolink.exe" > 399
    const std::string old = "||old.exe|\"Old\"|30 ";
    const std::string applied = "||C:\\Prog\\FL\\Ferrolink.exe|\"Office\" -u \"jo\" -p \"s3cret\"|";
    const struct {
        const char* what;
        std::string installPath;
        long triggerId;
        bool scheduler;
        HRESULT createTrigger, setApplication, newWorkItem;
        bool taskBefore;
        std::string item;
        std::string triggerIdAfter;
    } cases[] = {
        {"second apply, stored index", "C:\\Prog\\FL", 0, true, S_OK, S_OK, S_OK, true,
         applied + "5 ", "0"},
        {"no stored index", "C:\\Prog\\FL\\", -1, true, S_OK, S_OK, S_OK, true,
         applied + "30 5 ", "1"},
        {"trigger not made", "C:\\Prog\\FL", 3, true, E_OUTOFMEMORY, S_OK, S_OK, true, old, "3"},
        {"program path does not fit", deep, 0, true, S_OK, S_OK, S_OK, true, old, "0"},
        {"program not taken", "C:\\Prog\\FL", 0, true, S_OK, E_FAIL, S_OK, true,
         "||old.exe|\"Office\" -u \"jo\" -p \"s3cret\"|5 ", "0"},
        {"work item not made", "C:\\Prog\\FL", -1, true, S_OK, S_OK, E_ACCESSDENIED, false,
         "none", "-"},
        {"no scheduler object", "C:\\Prog\\FL", -1, false, S_OK, S_OK, S_OK, false, "none", "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PrepareSettings(c.installPath, c.triggerId);
        SchedulerStandInState scheduler;
        scheduler.createTrigger = c.createTrigger;
        scheduler.setApplication = c.setApplication;
        scheduler.newWorkItem = c.newWorkItem;
        if (c.taskBefore) scheduler.stored[L"Ferrolink"] = OldItem();
        EXPECT_EQ(ApplyWithoutAccount(c.scheduler ? &scheduler : nullptr), IDOK);
        EXPECT_EQ(Item(scheduler), c.item);
        EXPECT_EQ(Setting("TriggerID"), c.triggerIdAfter);
        EXPECT_EQ(Setting("Profile"), "Office");
        EXPECT_EQ(scheduler.liveObjects, 0);
    }
}

}  // namespace
