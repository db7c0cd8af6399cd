#pragma once
// What the in-process dialog tests share: the text of a window or message box, an installed
// VPN client, and stand-ins for the Task Scheduler and the scheduler service's platform that
// fail what they are told to, record what they were given and count what is still open.
#include <windows.h>
#include <mstask.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <functional>
#include <string>
#include <vector>

#include "client_contract.h"
#include "scheduler_service.h"
#include "task_scheduler.h"

inline std::string WindowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A message box as the user sees it: "caption|text|icon buttons".
inline std::string DescribeBox(HWND box) {
    const auto icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, 0x440, STM_GETICON, 0, 0));
    const char* kind = icon == LoadIconA(nullptr, IDI_HAND)          ? "hand"
                       : icon == LoadIconA(nullptr, IDI_EXCLAMATION) ? "exclamation"
                                                                     : "other icon";
    const bool yesNo = GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) && !GetDlgItem(box, IDOK);
    const bool okOnly =
        GetDlgItem(box, IDOK) && !GetDlgItem(box, IDYES) && !GetDlgItem(box, IDCANCEL);
    return WindowText(box) + "|" + WindowText(GetDlgItem(box, 0xFFFF)) + "|" + kind +
           (yesNo ? " YesNo" : okOnly ? " OK" : " other buttons");
}

// The VPN client installed in the temporary folder, without profiles.
inline bool InstallClient() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, kVpnClientKey, kVpnClientInstallPathValue, REG_SZ,
                           folder, static_cast<DWORD>(std::strlen(folder) + 1)) == ERROR_SUCCESS;
}

struct StandInItem {
    std::wstring account, password, application, parameters;
    std::vector<TASK_TRIGGER> triggers;
    // What the Task Scheduler keeps of its runs; a time of year 0 is "none", given with the
    // success that says why.
    HRESULT status = SCHED_S_TASK_HAS_NOT_RUN;
    SYSTEMTIME lastRun{}, nextRun{};
    DWORD exitCode = 0;
};

struct SchedulerState {
    std::map<std::wstring, StandInItem> stored;
    std::map<std::string, HRESULT> failing;  // operation name: its result
    int live = 0;                            // work items and triggers not released
    // The result that `operation` is told to give; `change` is made only on success.
    template <typename Change>
    HRESULT Do(const char* operation, Change change) const {
        const auto found = failing.find(operation);
        const HRESULT result = found == failing.end() ? S_OK : found->second;
        if (SUCCEEDED(result)) change();
        return result;
    }
};

class StandInTrigger final : public TaskTrigger {
public:
    StandInTrigger(SchedulerState& s, TASK_TRIGGER& slot) : m_s(s), m_slot(slot) { ++s.live; }
    ~StandInTrigger() override { --m_s.live; }
    HRESULT SetTrigger(const TASK_TRIGGER& trigger) override {
        return m_s.Do("SetTrigger", [&] { m_slot = trigger; });
    }

private:
    SchedulerState& m_s;
    TASK_TRIGGER& m_slot;
};

// A work item edited in memory and stored by Save. Triggers keep their indexes as the Task
// Scheduler keeps them: a deleted trigger's followers move down one.
class StandInWorkItem final : public WorkItem {
public:
    StandInWorkItem(SchedulerState& s, std::wstring name, StandInItem item)
        : m_s(s), m_name(std::move(name)), m_item(std::move(item)) {
        ++s.live;
        m_item.triggers.reserve(16);  // the slot that a trigger writes must not move
    }
    ~StandInWorkItem() override { --m_s.live; }
    HRESULT GetAccountInformation(std::wstring& account) override {
        return m_s.Do("GetAccountInformation", [&] { account = m_item.account; });
    }
    HRESULT SetAccountInformation(const wchar_t* account, const wchar_t* password) override {
        return m_s.Do("SetAccountInformation", [&] {
            m_item.account = account;
            m_item.password = password;
        });
    }
    HRESULT SetApplicationName(const wchar_t* path) override {
        return m_s.Do("SetApplicationName", [&] { m_item.application = path; });
    }
    HRESULT SetParameters(const wchar_t* parameters) override {
        return m_s.Do("SetParameters", [&] { m_item.parameters = parameters; });
    }
    HRESULT SetMaxRunTime(DWORD) override { return S_OK; }
    HRESULT DeleteTrigger(WORD index) override {
        if (index >= m_item.triggers.size()) return SCHED_E_TRIGGER_NOT_FOUND;
        m_item.triggers.erase(m_item.triggers.begin() + index);
        return S_OK;
    }
    HRESULT CreateTrigger(WORD& index, std::unique_ptr<TaskTrigger>& trigger) override {
        return m_s.Do("CreateTrigger", [&] {
            m_item.triggers.push_back(TASK_TRIGGER{});
            index = static_cast<WORD>(m_item.triggers.size() - 1);
            trigger = std::make_unique<StandInTrigger>(m_s, m_item.triggers.back());
        });
    }
    HRESULT Save() override { return m_s.Do("Save", [&] { m_s.stored[m_name] = m_item; }); }
    HRESULT GetApplicationName(std::wstring& path) override {
        return m_s.Do("GetApplicationName", [&] { path = m_item.application; });
    }
    HRESULT GetParameters(std::wstring& parameters) override {
        return m_s.Do("GetParameters", [&] { parameters = m_item.parameters; });
    }
    HRESULT GetTrigger(WORD index, TASK_TRIGGER& trigger) override {
        if (index >= m_item.triggers.size()) return SCHED_E_TRIGGER_NOT_FOUND;
        return m_s.Do("GetTrigger", [&] { trigger = m_item.triggers[index]; });
    }
    HRESULT GetStatus(HRESULT& status) override {
        return m_s.Do("GetStatus", [&] { status = m_item.status; });
    }
    HRESULT GetMostRecentRunTime(SYSTEMTIME& time) override {
        if (m_item.lastRun.wYear == 0) return SCHED_S_TASK_HAS_NOT_RUN;
        return m_s.Do("GetMostRecentRunTime", [&] { time = m_item.lastRun; });
    }
    HRESULT GetExitCode(DWORD& code) override {
        if (m_item.lastRun.wYear == 0) return SCHED_S_TASK_HAS_NOT_RUN;
        return m_s.Do("GetExitCode", [&] { code = m_item.exitCode; });
    }
    HRESULT GetNextRunTime(SYSTEMTIME& time) override {
        if (m_item.nextRun.wYear == 0) return SCHED_S_TASK_NO_VALID_TRIGGERS;
        return m_s.Do("GetNextRunTime", [&] { time = m_item.nextRun; });
    }

private:
    SchedulerState& m_s;
    std::wstring m_name;
    StandInItem m_item;
};

class StandInScheduler final : public TaskScheduler {
public:
    explicit StandInScheduler(SchedulerState& s) : m_s(s) {}
    HRESULT Activate(const wchar_t* name, std::unique_ptr<WorkItem>& item) override {
        if (const auto failing = m_s.failing.find("Activate"); failing != m_s.failing.end())
            return failing->second;
        const auto found = m_s.stored.find(name);
        if (found == m_s.stored.end()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        item = std::make_unique<StandInWorkItem>(m_s, name, found->second);
        return S_OK;
    }
    HRESULT NewWorkItem(const wchar_t* name, std::unique_ptr<WorkItem>& item) override {
        return m_s.Do("NewWorkItem",
                      [&] { item = std::make_unique<StandInWorkItem>(m_s, name, StandInItem{}); });
    }
    HRESULT Delete(const wchar_t* name) override {
        if (const auto failing = m_s.failing.find("Delete"); failing != m_s.failing.end())
            return failing->second;
        return m_s.stored.erase(name) == 1 ? S_OK : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }

private:
    SchedulerState& m_s;
};

// The platform of the scheduler service check, on either family and in any state of the
// service. `failing` names the one step that fails, with an error of its own; `calls` is
// every operation in order; the manager is handle 1 and the service handle 2, and each call
// must get the open one of its kind.
class ServiceStandIn final : public SchedulerServicePlatform {
public:
    DWORD platformId = VER_PLATFORM_WIN32_NT, state = SERVICE_STOPPED,
          startError = ERROR_SERVICE_DISABLED;
    bool window = false;
    std::string failing, calls, started;
    int open = 0, misused = 0;

    DWORD PlatformId() override { return Step("PlatformId", 0) ? platformId : 0; }
    bool SchedulerWindowExists() override { return Step("Window", 0) && window; }
    bool SearchSchedulerProgram(std::string& path) override {
        return Take(Step("Search", ERROR_FILE_NOT_FOUND), path, "C:\\WINDOWS\\SYSTEM\\mstask.exe");
    }
    bool StartSchedulerProgram(const std::string& path) override {
        return Take(Step("Run", ERROR_ACCESS_DENIED), started, path);
    }
    SC_HANDLE OpenServiceManager() override { return Open("Manager", ERROR_ACCESS_DENIED, 1); }
    SC_HANDLE OpenSchedulerService(SC_HANDLE manager) override {
        Expect(manager, 1);
        return Open("Service", ERROR_SERVICE_DOES_NOT_EXIST, 2);
    }
    bool QueryServiceState(SC_HANDLE service, DWORD& current) override {
        Expect(service, 2);
        if (Step("Query", ERROR_INVALID_HANDLE)) current = state;
        return failing != "Query";
    }
    bool RequestStart(SC_HANDLE service) override {
        Expect(service, 2);
        return Step("Start", startError);
    }
    void CloseService(SC_HANDLE handle) override {
        Step("Close", 0);
        Expect(handle, handle == Handle(1) ? 1 : 2);
        open &= handle == Handle(1) ? ~1 : ~2;
    }
    DWORD LastError() override { return Step("Error", 0) ? m_error : 0; }
    // The consent to a start, recorded as the step "Ask": `answer` IDNO declines.
    std::function<bool()> Consent(int answer) {
        return [this, answer] { return Step("Ask", 0) && answer != IDNO; };
    }

private:
    static SC_HANDLE Handle(int bit) {
        return reinterpret_cast<SC_HANDLE>(static_cast<std::uintptr_t>(bit));
    }
    // Records the call; false, leaving `error` behind, when it is the failing step.
    bool Step(const char* name, DWORD error) {
        calls += calls.empty() ? name : std::string(" ") + name;
        if (failing != name) return true;
        m_error = error;
        return false;
    }
    static bool Take(bool ok, std::string& field, const std::string& value) {
        if (ok) field = value;
        return ok;
    }
    SC_HANDLE Open(const char* name, DWORD error, int bit) {
        if (!Step(name, error)) return nullptr;
        open |= bit;
        return Handle(bit);
    }
    void Expect(SC_HANDLE handle, int bit) {
        misused += handle != Handle(bit) || (open & bit) == 0;
    }
    DWORD m_error = ERROR_SUCCESS;
};
