// The configuration program's commands in this process, against the stand-in Task Scheduler
// and scheduler service: the states that Wine cannot show (an account the scheduler keeps or
// does not, a last run and its exit code, a next run, a running work item, a scheduler that is
// stopped or cannot be read). What the lines say is read from the real registry of the prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "command_line_options.h"

#include "client_contract.h"
#include "command_channel.h"
#include "settings_store.h"
#include "stand_ins.h"
#include "win_handles.h"
#include "apply_command.h"
#include "apply_flow.h"
#include "delete_command.h"
#include "status_command.h"

namespace {

using Texts = std::vector<std::string>;

// Records what a command writes and gives the lines it is to read.
class RecordingChannel : public CommandChannel {
public:
    std::string out, error;
    std::vector<std::string> input;
    void Out(const std::string& text) override { out += text + "\n"; }
    void Error(const std::string& text) override { error += text + "\n"; }
    std::optional<std::string> ReadSecretLine() override {
        if (input.empty()) return std::nullopt;
        std::string line = input.front();
        input.erase(input.begin());
        return line;
    }
    bool InputRedirected() override { return true; }
};

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME t{};
    t.wYear = year, t.wMonth = month, t.wDay = day, t.wHour = hour, t.wMinute = minute;
    return t;
}

class StatusCommand : public testing::Test {
public:
    void SetUp() override {
        state = SchedulerState{};
        service = ServiceStandIn{};
        ASSERT_TRUE(InstallClient());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        SetTunnel(1);
        ConnectorSettings stored{"Office", 5, "jo", "s3cret"};
        ASSERT_EQ(SaveSettings(stored), 0);
        service.state = SERVICE_RUNNING;
        StandInItem item;
        item.application = L"C:\\Program Files\\Ferrolink\\Ferrolink.exe";
        item.parameters = L"\"Office\" -u \"jo\" -p \"s3cret\"";
        item.account = L"MACHINE\\vpnuser";
        TASK_TRIGGER trigger{};
        trigger.MinutesInterval = 5;
        item.triggers.push_back(trigger);
        item.status = SCHED_S_TASK_READY;
        item.lastRun = At(2026, 12, 8, 9, 35);
        item.nextRun = At(2026, 12, 8, 9, 40);
        state.stored[L"Ferrolink"] = item;
    }
    void TearDown() override { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey); }
    static void SetTunnel(DWORD up) {
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kVpnClientKey, kVpnClientTunnelValue, REG_DWORD, &up,
                        sizeof up);
    }
    // Runs /status; gives the exit code, and what it wrote.
    int Run(HRESULT created = S_OK) {
        SchedulerAccess access;
        access.UseScheduler(std::make_unique<StandInScheduler>(state));
        return RunStatus(channel, access, created, service);
    }
    std::string FirstLine() const { return channel.out.substr(0, channel.out.find('\n')); }
    // The whole line that begins with the label of `line` (its text up to ": ").
    std::string LineLike(const std::string& line) const {
        const std::string label = "\n" + line.substr(0, line.find(": ") + 2);
        const std::size_t start = channel.out.find(label);
        if (start == std::string::npos) return "no line " + label;
        return channel.out.substr(start + 1, channel.out.find('\n', start + 1) - start - 1);
    }

    SchedulerState state;
    ServiceStandIn service;
    RecordingChannel channel;
};

TEST_F(StatusCommand, TellsEveryFieldOfAWorkItemThatRanWellAndNeverThePassword) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(channel.out, "FERROLINK OK - task present, tunnel up\n"
                          "VPN client: found in " + std::string(folder) + "\n"
                          "Profile: Office\n"
                          "Interval (minutes): 5\n"
                          "Profile username: jo\n"
                          "Task: present\n"
                          "Task application: C:\\Program Files\\Ferrolink\\Ferrolink.exe\n"
                          "Task parameters: \"Office\" -u \"jo\" -p ***\n"
                          "Task account: MACHINE\\vpnuser\n"
                          "Task trigger: every 5 minutes\n"
                          "Task state: ready\n"
                          "Task last run: 2026-12-08 09:35:00, exit code 0\n"
                          "Task next run: 2026-12-08 09:40:00\n"
                          "Task Scheduler: running\n"
                          "Tunnel: up\n");
    EXPECT_EQ(channel.error, "");
    EXPECT_EQ(state.live, 0);
}

// Each row changes one state from the run above: the exit code, the first line, and the line
// that tells that state.
TEST_F(StatusCommand, EachStateHasItsLevelAndLine) {
    const struct { const char* name; void (*change)(StatusCommand&); HRESULT created; int code;
                   const char* first; const char* line;
    } rows[] = {
        {"last run ended with 1",
         [](StatusCommand& t) { t.state.stored[L"Ferrolink"].exitCode = 1; }, S_OK, 1,
         "FERROLINK WARNING - task present, its last run ended with 1",
         "Task last run: 2026-12-08 09:35:00, exit code 1"},
        {"no accounts kept",
         [](StatusCommand& t) {
             t.state.failing["GetAccountInformation"] = SCHED_E_NO_SECURITY_SERVICES;
         },
         S_OK, 0, "FERROLINK OK - task present, tunnel up",
         "Task account: not kept by the Task Scheduler"},
        {"running",
         [](StatusCommand& t) { t.state.stored[L"Ferrolink"].status = SCHED_S_TASK_RUNNING; }, S_OK,
         0, "FERROLINK OK - task present, tunnel up", "Task state: running"},
        {"no next run", [](StatusCommand& t) { t.state.stored[L"Ferrolink"].nextRun = {}; }, S_OK,
         0, "FERROLINK OK - task present, tunnel up", "Task next run: none"},
        {"disabled",
         [](StatusCommand& t) { t.state.stored[L"Ferrolink"].status = SCHED_S_TASK_DISABLED; },
         S_OK, 1, "FERROLINK WARNING - task present, but disabled", "Task state: disabled"},
        {"no valid trigger",
         [](StatusCommand& t) {
             t.state.stored[L"Ferrolink"].status = SCHED_S_TASK_NO_VALID_TRIGGERS;
         },
         S_OK, 1, "FERROLINK WARNING - task present, but no trigger runs it",
         "Task state: no valid triggers"},
        {"no trigger", [](StatusCommand& t) { t.state.stored[L"Ferrolink"].triggers.clear(); },
         S_OK, 1, "FERROLINK WARNING - task present, but no trigger runs it",
         "Task trigger: could not be read (0x80041309)"},
        {"last run not started",
         [](StatusCommand& t) {
             t.state.failing["GetExitCode"] = HRESULT_FROM_WIN32(ERROR_LOGON_FAILURE);
         },
         S_OK, 1, "FERROLINK WARNING - task present, its last run could not start",
         "Task last run: 2026-12-08 09:35:00, could not start (0x8007052E)"},
        {"tunnel down", [](StatusCommand&) { SetTunnel(0); }, S_OK, 1,
         "FERROLINK WARNING - task present, tunnel down", "Tunnel: down"},
        {"no task", [](StatusCommand& t) { t.state.stored.clear(); }, S_OK, 2,
         "FERROLINK CRITICAL - no task", "Task: no task"},
        {"scheduler stopped", [](StatusCommand& t) { t.service.state = SERVICE_STOPPED; }, S_OK, 2,
         "FERROLINK CRITICAL - Task Scheduler not running", "Task Scheduler: not running"},
        {"no scheduler object", [](StatusCommand&) {}, static_cast<HRESULT>(0x80041315), 3,
         "FERROLINK UNKNOWN - the state could not be read", "Task: could not be read (0x80041315)"},
        {"task unreadable", [](StatusCommand& t) { t.state.failing["Activate"] = E_ACCESSDENIED; },
         S_OK, 3, "FERROLINK UNKNOWN - the state could not be read",
         "Task: could not be read (0x80070005)"},
        {"service unreadable", [](StatusCommand& t) { t.service.failing = "Manager"; }, S_OK, 3,
         "FERROLINK UNKNOWN - the state could not be read", "Task Scheduler: unknown"},
    };
    for (const auto& row : rows) {
        SetUp();
        channel = RecordingChannel{};
        row.change(*this);
        const int code = Run(row.created);
        EXPECT_EQ(std::make_tuple(code, FirstLine(), LineLike(row.line)),
                  std::make_tuple(row.code, std::string(row.first), std::string(row.line)))
            << row.name << "\n"
            << channel.out;
        EXPECT_EQ(channel.out.find("s3cret"), std::string::npos) << row.name;
    }
}

TEST_F(StatusCommand, WithoutTheClientIsCritical) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kVpnClientKey);
    const int code = Run();
    InstallClient();
    EXPECT_EQ(std::make_tuple(code, FirstLine(), LineLike("VPN client: not found")),
              std::make_tuple(2, std::string("FERROLINK CRITICAL - Cisco VPN Client not found"),
                              std::string("VPN client: not found")));
}

TEST(DeleteCommand, DeletesOrSaysThereWasNoneAndNamesTheSchedulersFailure) {
    const struct {
        const char* name;
        bool present;
        HRESULT fails, created;
        int code;
        const char *out, *error;
        bool left;
    } rows[] = {
        {"present", true, S_OK, S_OK, 0, "The task was deleted.\n", "", false},
        {"none", false, S_OK, S_OK, 0, "There is no task to delete.\n", "", false},
        {"refused", true, E_ACCESSDENIED, S_OK, 15, "",
         "Failed to delete the task.\nTask Scheduler result: 0x80070005\n", true},
        {"no scheduler object", true, S_OK, static_cast<HRESULT>(0x80041315), 15, "",
         "The Task Scheduler could not be reached (0x80041315).\n", true},
    };
    for (const auto& row : rows) {
        SchedulerState state;
        if (row.present) state.stored[L"Ferrolink"] = StandInItem{};
        if (row.fails != S_OK) state.failing["Delete"] = row.fails;
        SchedulerAccess access;
        access.UseScheduler(std::make_unique<StandInScheduler>(state));
        RecordingChannel channel;
        const int code = RunDelete(channel, access, row.created);
        EXPECT_EQ(std::make_tuple(code, channel.out, channel.error,
                                  state.stored.count(L"Ferrolink") == 1),
                  std::make_tuple(row.code, std::string(row.out), std::string(row.error), row.left))
            << row.name;
    }
}

// Answers the logon check as told and records what it was asked.
struct LogonStandIn : LogonChecker {
    LogonOutcome next = LogonOutcome::Accepted;
    std::string asked;
    LogonOutcome TryBatchLogon(const std::string& user, const std::string& password) override {
        asked += user + "|" + password + " ";
        return next;
    }
};

// The VPN client installed in the temporary folder, with the profile "Office".
bool InstallClientWithOffice() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string profiles = std::string(folder) + "profiles";
    CreateDirectoryA(profiles.c_str(), nullptr);
    const UniqueFile profile(CreateFileA((profiles + "\\Office.pcf").c_str(), GENERIC_WRITE, 0,
                                         nullptr, CREATE_ALWAYS, 0, nullptr));
    return InstallClient() && profile;
}

// /apply's own rules: what the dialog's rows prove of the shared flow (the refused values, the
// steps of the work item, the trigger kept once) is not proven again. A client with the
// profile "Office" and an existing work item whose account the scheduler keeps.
TEST(ApplyCommand, AsksNothingAndEndsWithTheCodeOfWhatStoppedIt) {
    ASSERT_TRUE(InstallClientWithOffice());
    const std::string applied = "The settings were saved and the task was created or updated.\n";
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring programFolder(program, std::wcsrchr(program, L'\\') + 1);
    const struct {
        const char* name;
        Texts arguments;
        void (*change)(SchedulerState&, ServiceStandIn&, LogonStandIn&);
        HRESULT created;
        int code;
        std::string out, error, asked, item;
    } rows[] = {
        {"the existing task's account",
         {"/apply", "/profile:OFFICE", "/accountpassword:pw"},
         [](SchedulerState&, ServiceStandIn&, LogonStandIn&) {},
         S_OK,
         0,
         applied,
         "",
         "vpnuser|pw ",
         "vpnuser|pw|\"Office\" -u \"jo\" -p \"s3cret\"|5"},
        {"no accounts kept",
         {"/apply", "/password:other", "/interval:60"},
         [](SchedulerState& s, ServiceStandIn&, LogonStandIn&) {
             s.failing["GetAccountInformation"] = SCHED_E_NO_SECURITY_SERVICES;
         },
         S_OK,
         0,
         applied,
         "",
         "",
         "MACHINE\\vpnuser||\"Office\" -u \"jo\" -p \"other\"|60"},
        {"logon refused",
         {"/apply", "/account:x", "/accountpassword:bad", "/password:new"},
         [](SchedulerState&, ServiceStandIn&, LogonStandIn& l) { l.next = LogonOutcome::Rejected; },
         S_OK,
         14,
         "",
         "The specified username and password is invalid.\n\nEnter valid username and password.\n",
         "x|bad ",
         "unchanged"},
        {"no account password",
         {"/apply", "/password:new"},
         [](SchedulerState&, ServiceStandIn&, LogonStandIn&) {},
         S_OK,
         14,
         "",
         "The Task Scheduler runs the task under a Windows account: give its password with "
         "/accountpassword.\n",
         "",
         "unchanged"},
        {"empty credentials",
         {"/apply", "/user:", "/accountpassword:pw"},
         [](SchedulerState&, ServiceStandIn&, LogonStandIn&) {},
         S_OK,
         13,
         "",
         "No profile username and/or password set.\n\nThe scheduled task cannot connect without "
         "them: "
         "enter both.\n",
         "",
         "unchanged"},
        {"interval not offered",
         {"/apply", "/interval:11", "/accountpassword:pw"},
         [](SchedulerState&, ServiceStandIn&, LogonStandIn&) {},
         S_OK,
         13,
         "",
         "The check interval must be 1 to 10, 15, 20, 30, 45 or 60 minutes.\n",
         "",
         "unchanged"},
        {"service not started",
         {"/apply", "/accountpassword:pw"},
         [](SchedulerState&, ServiceStandIn& v, LogonStandIn&) {
             v.state = SERVICE_STOPPED, v.failing = "Start";
         },
         S_OK,
         16,
         applied,
         "Unable to start the Task Scheduler service. The task will not be executing until the "
         "service will be started.\n",
         "vpnuser|pw ",
         "vpnuser|pw|\"Office\" -u \"jo\" -p \"s3cret\"|5"},
        {"save refused",
         {"/apply", "/accountpassword:pw"},
         [](SchedulerState& s, ServiceStandIn&, LogonStandIn&) {
             s.failing["Save"] = E_ACCESSDENIED;
         },
         S_OK,
         15,
         "",
         "The Task Scheduler failed to save the task.\nTask Scheduler result: 0x80070005\n",
         "vpnuser|pw ",
         "unchanged"},
        {"parameters refused",
         {"/apply", "/password:new", "/accountpassword:pw"},
         [](SchedulerState& s, ServiceStandIn&, LogonStandIn&) {
             s.failing["SetParameters"] = E_INVALIDARG;
         },
         S_OK,
         15,
         "",
         "The Task Scheduler failed to set the task's program and parameters.\nTask Scheduler "
         "result: 0x80070057\n",
         "vpnuser|pw ",
         "unchanged"},
        {"settings key not made",
         {"/apply", "/profile:Office", "/user:jo", "/password:x", "/accountpassword:pw"},
         [](SchedulerState&, ServiceStandIn&, LogonStandIn&) {
             // Under a volatile parent no lasting key can be made.
             RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
             RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Halvane");
             HKEY parent = nullptr;
             RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Halvane", 0, nullptr,
                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &parent, nullptr);
             RegCloseKey(parent);
         },
         S_OK,
         19,
         "",
         "The settings could not be saved in the registry (error 1021); the task was left as it "
         "was.\n",
         "vpnuser|pw ",
         "unchanged"},
        {"no scheduler object",
         {"/apply", "/accountpassword:pw"},
         [](SchedulerState&, ServiceStandIn&, LogonStandIn&) {},
         static_cast<HRESULT>(0x80041315),
         15,
         "",
         "The Task Scheduler could not be reached (0x80041315).\n",
         "",
         "unchanged"},
        {"no such profile",
         {"/apply", "/profile:Offic"},
         [](SchedulerState&, ServiceStandIn&, LogonStandIn&) {},
         S_OK,
         12,
         "",
         "There is no profile Offic in the Cisco VPN Client.\n",
         "",
         "unchanged"},
    };
    for (const auto& row : rows) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Halvane");
        ConnectorSettings stored{"Office", 5, "jo", "s3cret"};
        ASSERT_EQ(SaveSettings(stored), 0);
        SchedulerState state;
        StandInItem existing;
        existing.account = L"MACHINE\\vpnuser";
        state.stored[L"Ferrolink"] = existing;
        ServiceStandIn service;
        service.state = SERVICE_RUNNING;
        LogonStandIn logon;
        row.change(state, service, logon);
        const CommandLineReading reading = ReadConfigCommandLine(row.arguments);
        ASSERT_TRUE(reading.commandLine) << row.name;
        SchedulerAccess access;
        access.UseScheduler(std::make_unique<StandInScheduler>(state));
        RecordingChannel channel;
        const int code =
            RunApply(*reading.commandLine, channel, access, row.created, logon, service);
        const StandInItem& item = state.stored[L"Ferrolink"];
        // The work item as account|password|parameters|its last trigger's interval.
        const std::string written =
            item.parameters.empty()
                ? "unchanged"
                : std::string(item.account.begin(), item.account.end()) + "|" +
                      std::string(item.password.begin(), item.password.end()) + "|" +
                      std::string(item.parameters.begin(), item.parameters.end()) + "|" +
                      std::to_string(item.triggers.empty() ? 0
                                                           : item.triggers.back().MinutesInterval);
        EXPECT_EQ(std::make_tuple(code, channel.out, channel.error, logon.asked, written),
                  std::make_tuple(row.code, row.out, row.error, row.asked, row.item)) << row.name;
        // Without "InstallPath" the connector is the one beside this program, never looked up.
        if (written != "unchanged") {
            EXPECT_EQ(item.application, programFolder + L"Ferrolink.exe") << row.name;
        }
        // A command line refused before the flow saves nothing.
        if (row.code == 14) {
            EXPECT_EQ(LoadSettings().profilePassword, "s3cret") << row.name;
        }
        EXPECT_EQ(state.live, 0) << row.name;
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
}

// Two writers at once: the second waits a bounded time for the first's turn and then saves
// nothing, rather than mixing one's profile with the other's password.
TEST(ApplyCommand, WithoutTheTurnAtApplyingSavesNothing) {
    ASSERT_TRUE(InstallClientWithOffice());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    ConnectorSettings stored{"Office", 5, "jo", "s3cret"};
    ASSERT_EQ(SaveSettings(stored), 0);
    const UniqueHandle held(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const UniqueHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread writer([&] {
        const UniqueHandle turn(CreateMutexA(nullptr, TRUE, kApplyTurnName));
        SetEvent(held.get());
        WaitForSingleObject(release.get(), INFINITE);
        ReleaseMutex(turn.get());
    });
    WaitForSingleObject(held.get(), INFINITE);
    SchedulerState state;
    ServiceStandIn service;
    service.state = SERVICE_RUNNING;
    LogonStandIn logon;
    SchedulerAccess access;
    access.UseScheduler(std::make_unique<StandInScheduler>(state));
    RecordingChannel channel;
    const CommandLineReading reading =
        ReadConfigCommandLine({"/apply", "/password:new", "/accountpassword:pw"});
    const int code = RunApply(*reading.commandLine, channel, access, S_OK, logon, service);
    SetEvent(release.get());
    writer.join();
    EXPECT_EQ(
        std::make_tuple(code, channel.error, LoadSettings().profilePassword, state.stored.size()),
        std::make_tuple(
            21,
            std::string("Another Ferrolink configuration is being saved (an open configuration "
                        "dialog or /apply). Nothing was saved: try again once it has ended.\n"),
            std::optional<std::string>("s3cret"), std::size_t{0}));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
}

}  // namespace
