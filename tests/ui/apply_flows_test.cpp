// The OK and delete flows of the main dialog in this process, against a stand-in Task
// Scheduler, logon check and scheduler service. The flows' message boxes and the credentials
// dialog are real; a thread timer answers them as a user would and records what they showed.
#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "main_dialog.h"
#include "settings_store.h"
#include "stand_ins.h"

namespace {

// Answers the windows that the flow opens, in order: a button of a message box ("yes", "no",
// "ok"), or for the credentials dialog "cancel" or "password:..." to type before OK. Once the
// answers are used up and the main dialog is active again, it is cancelled, so a flow that left
// it open ends with IDCANCEL; after a second of waiting it is cancelled all the same.
class Responder {
public:
    static Responder* current;
    std::deque<std::string> answers;
    std::vector<std::string> seen;  // each box described whole, or the dialog's caption
    HWND main = nullptr;
    Responder() : m_timer(SetTimer(nullptr, 0, 40, Tick)) { current = this; }
    ~Responder() {
        KillTimer(nullptr, m_timer);
        current = nullptr;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { current->Answer(); }
    void Answer() {
        HWND active = GetActiveWindow();
        if (active == nullptr) return;
        if (active == main) {
            ++m_mainTicks;
            if ((answers.empty() && m_mainTicks >= 2) || m_mainTicks >= 25)
                PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        m_mainTicks = 0;
        if (m_answered == active) return;  // closing
        m_answered = active;
        const bool credentials = GetDlgItem(active, IDC_ACCOUNT_PASSWORD_EDIT) != nullptr;
        seen.push_back(credentials ? WindowText(active) : DescribeBox(active));
        const std::string answer = answers.empty() ? "none" : answers.front();
        if (!answers.empty()) answers.pop_front();
        if (answer.rfind("password:", 0) == 0) {
            SetDlgItemTextA(active, IDC_ACCOUNT_PASSWORD_EDIT, answer.substr(9).c_str());
        }
        const int button = answer == "yes" ? IDYES : answer == "no" ? IDNO : answer == "cancel" ? IDCANCEL : IDOK;
        if (answer == "none") ADD_FAILURE() << "no answer left for " << seen.back();
        PostMessageA(active, WM_COMMAND, answer == "none" ? IDCANCEL : button, 0);
    }
    UINT_PTR m_timer;
    HWND m_answered = nullptr;
    int m_mainTicks = 0;
};
Responder* Responder::current = nullptr;

class AcceptingLogon : public LogonChecker {
public:
    LogonOutcome TryBatchLogon(const std::string&, const std::string&) override {
        return LogonOutcome::Accepted;
    }
};

struct Entries {
    std::string profile, user, password;
    bool checksDisabled, accountRequired;
};
const Entries kEntries = {"Office", "jo", "s3cret", false, true};

// The main dialog with the entries a user made (interval "5"), pressing OK once it shows;
// records the task display after OK.
class FlowDialog : public MainDialog {
public:
    FlowDialog(LogonChecker& logon, ServiceStandIn& service, SchedulerState* scheduler, Entries e)
        : MainDialog(logon, service), m_entries(std::move(e)) {
        if (scheduler != nullptr) m_scheduler.UseScheduler(std::make_unique<StandInScheduler>(*scheduler));
    }
    std::string display;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = MainDialog::OnInitDialog();
        m_profileName = m_entries.profile;
        m_profileUser = m_entries.user;
        m_profilePassword = m_entries.password;
        m_intervalText = "5";
        m_checksDisabled = m_entries.checksDisabled;
        m_accountRequired = m_entries.accountRequired;
        m_accountUser = "operator";
        Responder::current->main = Window();
        PostMessageA(Window(), WM_COMMAND, IDOK, 0);
        return result;
    }
    void OnOK() override {
        MainDialog::OnOK();
        display = m_taskStatic.Text() + (m_deleteButton.IsEnabled() ? " on" : " off");
    }

private:
    Entries m_entries;
};

// A stored value as text; a REG_DWORD as "#" and its number, a missing one as "-".
std::string Setting(const char* name) {
    char data[512] = {};
    DWORD type = 0, size = sizeof data;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kSettingsKey, name, RRF_RT_ANY, &type, data, &size) != 0)
        return "-";
    return type == REG_DWORD ? "#" + std::to_string(*reinterpret_cast<DWORD*>(data)) : data;
}

// Profile|Interval|ProfileUsername|ProfilePassword|TriggerID
std::string Settings() {
    return Setting("Profile") + "|" + Setting("Interval") + "|" + Setting("ProfileUsername") + "|" +
           Setting("ProfilePassword") + "|" + Setting("TriggerID");
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A trigger as "daily/N" when every field but the interval is the work item's daily trigger.
std::string Describe(const TASK_TRIGGER& t) {
    const bool daily = t.cbTriggerSize == 48 && t.Reserved1 == 0 && t.wBeginYear == 2000 &&
                       t.wBeginMonth == 1 && t.wBeginDay == 1 && t.wEndYear == 0 && t.wEndMonth == 0 &&
                       t.wEndDay == 0 && t.wStartHour == 0 && t.wStartMinute == 0 &&
                       t.MinutesDuration == 1440 && t.rgFlags == 0 &&
                       t.TriggerType == TASK_TIME_TRIGGER_DAILY && t.Type.Daily.DaysInterval == 1 &&
                       t.Reserved2 == 0 && t.wRandomMinutesInterval == 0;
    return (daily ? "daily/" : "other/") + std::to_string(t.MinutesInterval) + " ";
}

// The stored work item: account|password|application|parameters|triggers.
std::string Item(const SchedulerState& state) {
    const auto found = state.stored.find(L"Ferrolink");
    if (found == state.stored.end()) return "none";
    const StandInItem& item = found->second;
    std::string triggers;
    for (const TASK_TRIGGER& t : item.triggers) triggers += Describe(t);
    return Narrow(item.account) + "|" + Narrow(item.password) + "|" + Narrow(item.application) +
           "|" + Narrow(item.parameters) + "|" + triggers;
}

StandInItem OldItem() {
    TASK_TRIGGER trigger{};
    trigger.MinutesInterval = 30;
    return {L"", L"", L"old.exe", L"\"Old\"", {trigger}};
}

struct Outcome {
    INT_PTR result;
    std::vector<std::string> seen;
    std::string settings, item, display;
};

// The settings key with only "InstallPath" (and "TriggerID" when not negative).
void PrepareSettings(const std::string& installPath, long triggerId) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKey, "InstallPath", REG_SZ, installPath.c_str(),
                    static_cast<DWORD>(installPath.size() + 1));
    const DWORD value = static_cast<DWORD>(triggerId);
    if (triggerId >= 0)
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKey, "TriggerID", REG_DWORD, &value, sizeof value);
}

// One OK in the main dialog; the Task Scheduler holds the old work item when `taskBefore`,
// and there is none at all without `scheduler`.
Outcome PressOk(const Entries& entries, bool taskBefore, ServiceStandIn& service,
                const std::vector<std::string>& answers, SchedulerState* scheduler) {
    if (taskBefore) scheduler->stored[L"Ferrolink"] = OldItem();
    AcceptingLogon logon;
    Responder responder;
    responder.answers.assign(answers.begin(), answers.end());
    Outcome outcome;
    {
        FlowDialog dialog(logon, service, scheduler, entries);
        outcome.result = dialog.DoModal();
        outcome.display = dialog.display;
    }
    EXPECT_TRUE(responder.answers.empty()) << "answers left";
    outcome.seen = responder.seen;
    outcome.settings = Settings();
    outcome.item = scheduler != nullptr ? Item(*scheduler) : "none";
    EXPECT_EQ(scheduler != nullptr ? scheduler->live : 0, 0) << "a work item or trigger was kept";
    return outcome;
}

const char kConfirm[] = "Confirmation|Do you really want to delete the task?\n\nClick Yes to delete "
                        "the task or No to leave the task active.|exclamation YesNo";
const char kDeleteFailed[] = "Error|Failed to delete the task.|hand OK";
const char kNoProfile[] = "Warning|No profile seleced.\n\nSelect a profile and try again.|exclamation OK";
const char kEmpty[] = "Warning|No profile username and/or password set. Do you want to continue?\n\n"
                      "Click Yes to continue with empty profile username and/or password, or click "
                      "No to enter new profile credentials.|exclamation YesNo";
const char kQuote[] = "Warning|The profile username and password must not contain a double quote "
                      "(\").\n\nEnter them without double quotes.|exclamation OK";
const char kNotStarted[] = "Error|Unable to start the Task Scheduler service. The task will not be "
                           "executing until the service will be started.|hand OK";
const char kAccount[] = "Windows login credentials";
const std::string kApplied = "C:\\Prog\\FL\\Ferrolink.exe|\"Office\" -u \"jo\" -p \"s3cret\"|";
const std::string kCreated = "operator|pw|" + kApplied + "daily/5 ", kOld = "||old.exe|\"Old\"|other/30 ";
const std::string kSaved = "Office|#5|jo|s3cret|", kNotSaved = "-|-|-|-|-";

class ApplyFlows : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InstallClient()); }
    void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey); }
};

// Every row of OK's and Delete's outcomes: the boxes shown, whole; the dialog's result; every
// stored setting; the stored work item; the task display.
TEST_F(ApplyFlows, EachSituationShowsSavesChangesAndClosesAsItShould) {
    const Entries disabled = {"", "jo", "s3cret", true, true}, noProfile = {"", "jo", "s3cret", false, true};
    const Entries noPassword = {"Office", "jo", "", false, true}, noAccount = {"Office", "jo", "s3cret", false, false};
    const Entries quoted = {"Office", "jo", "pw\" -l \"C:\\anywhere.log", false, true};
    const struct {
        const char* what;
        Entries entries;
        bool taskBefore;
        DWORD serviceState;
        const char* serviceFails;
        int startAnswer;
        std::vector<std::string> answers, seen;
        std::string settings, item, display;
        INT_PTR result;
    } cases[] = {
        {"disable checks, yes", disabled, true, SERVICE_RUNNING, "", IDYES, {"yes"}, {kConfirm},
         "|#5|jo|s3cret|-", "none", "no task off", IDOK},
        {"disable checks, yes, no task", disabled, false, SERVICE_RUNNING, "", IDYES, {"yes", "ok"},
         {kConfirm, kDeleteFailed}, "|#5|jo|s3cret|-", "none", "no task off", IDOK},
        {"disable checks, no", disabled, true, SERVICE_RUNNING, "", IDYES, {"no"}, {kConfirm},
         kNotSaved, kOld, "Ferrolink on", IDOK},
        {"no profile", noProfile, false, SERVICE_RUNNING, "", IDYES, {"ok"}, {kNoProfile}, kNotSaved,
         "none", "no task off", IDCANCEL},
        {"empty password, no", noPassword, false, SERVICE_RUNNING, "", IDYES, {"no"}, {kEmpty},
         kNotSaved, "none", "no task off", IDCANCEL},
        {"empty password, yes", noPassword, false, SERVICE_RUNNING, "", IDYES, {"yes", "password:pw"},
         {kEmpty, kAccount}, "Office|#5|jo||#0",
         "operator|pw|C:\\Prog\\FL\\Ferrolink.exe|\"Office\" -u \"jo\"|daily/5 ", "no task off", IDOK},
        {"double quote in the password", quoted, false, SERVICE_RUNNING, "", IDYES, {"ok"}, {kQuote},
         kNotSaved, "none", "no task off", IDCANCEL},
        {"credentials cancelled", kEntries, true, SERVICE_RUNNING, "", IDYES, {"cancel"}, {kAccount},
         kSaved + "-", kOld, "Ferrolink on", IDCANCEL},
        {"otherwise", kEntries, false, SERVICE_RUNNING, "", IDYES, {"password:pw"}, {kAccount},
         kSaved + "#0", kCreated, "no task off", IDOK},
        {"no account needed", noAccount, false, SERVICE_RUNNING, "", IDYES, {}, {}, kSaved + "#0",
         "||" + kApplied + "daily/5 ", "no task off", IDOK},
        {"scheduler stopped, start declined", kEntries, false, SERVICE_STOPPED, "", IDNO,
         {"password:pw"}, {kAccount}, kSaved + "#0", kCreated, "no task off", IDOK},
        {"scheduler cannot be started", kEntries, false, SERVICE_STOPPED, "Start", IDYES,
         {"password:pw", "ok"}, {kAccount, kNotStarted}, kSaved + "#0", kCreated, "no task off", IDOK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PrepareSettings("C:\\Prog\\FL", -1);
        SchedulerState scheduler;
        ServiceStandIn service;
        service.state = c.serviceState;
        service.failing = c.serviceFails;
        service.answer = c.startAnswer;
        const Outcome o = PressOk(c.entries, c.taskBefore, service, c.answers, &scheduler);
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(o.seen, c.seen);
        EXPECT_EQ(o.settings, c.settings);
        EXPECT_EQ(o.item, c.item);
        EXPECT_EQ(o.display, c.display);
    }
}

// Each apply replaces the trigger of the stored index, so the work item keeps one; a step that
// fails leaves the stored work item as it was, and none of it is reported.
TEST_F(ApplyFlows, TheWorkItemKeepsOneTriggerAndIsNeverSavedHalfDone) {
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
        {"second apply, stored index", "C:\\Prog\\FL", 0, "", S_OK, true, true, applied + "daily/5 ", "#0"},
        {"no stored index", "C:\\Prog\\FL\\", -1, "", S_OK, true, true, applied + "other/30 daily/5 ", "#1"},
        {"trigger not made", "C:\\Prog\\FL", 3, "CreateTrigger", E_OUTOFMEMORY, true, true, kOld, "#3"},
        {"trigger not set", "C:\\Prog\\FL", 0, "SetTrigger", E_INVALIDARG, true, true, kOld, "#0"},
        {"program path does not fit", deep, 0, "", S_OK, true, true, kOld, "#0"},
        {"program not taken", "C:\\Prog\\FL", 0, "SetApplicationName", E_FAIL, true, true,
         "||old.exe|\"Office\" -u \"jo\" -p \"s3cret\"|daily/5 ", "#0"},
        {"work item not made", "C:\\Prog\\FL", -1, "NewWorkItem", E_ACCESSDENIED, true, false, "none", "-"},
        {"no scheduler object", "C:\\Prog\\FL", -1, "", S_OK, false, false, "none", "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PrepareSettings(c.installPath, c.triggerId);
        SchedulerState scheduler;
        scheduler.failing[c.failing] = c.answer;
        ServiceStandIn service;
        service.state = SERVICE_RUNNING;
        const Entries entries = {"Office", "jo", "s3cret", false, false};
        const Outcome o = PressOk(entries, c.taskBefore, service, {}, c.scheduler ? &scheduler : nullptr);
        EXPECT_EQ(o.result, IDOK);
        EXPECT_EQ(o.seen, std::vector<std::string>{});
        EXPECT_EQ(o.item, c.item);
        EXPECT_EQ(Setting("TriggerID"), c.triggerIdAfter);
        EXPECT_EQ(Setting("Profile"), "Office");
    }
}

}  // namespace
