// The work item kWorkItemName, for the end-to-end tests and the demo:
//   task create   stores the work item that an earlier run of the configuration program would
//                 have left (program and parameters), through the program's own scheduler
//                 access; prints task.created=1
//   task show     reads the stored work item back: task.exists, task.application,
//                 task.parameters, task.maxruntime (ms, or "-"), task.account.hr,
//                 task.account, task.triggers and trigger.<n>.<field> of each trigger
// Reading goes through the Task Scheduler's own interfaces rather than the program's, so that
// what the program stored is read back by other code than the program's own /status.
#include "task_command.h"

#include <windows.h>
#include <mstask.h>

#include <cwchar>
#include <memory>
#include <utility>

#include "com_ptr.h"
#include "driver_output.h"
#include "scheduler_access.h"
#include "task_scheduler.h"

namespace {

std::wstring Wide(const char* text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.pop_back();
    return wide;
}

// A text that the Task Scheduler hands over in memory of its own, in the system code page;
// `hr` receives the getter's result.
template <typename Getter>
std::string TaskText(HRESULT& hr, Getter get) {
    LPWSTR value = nullptr;
    hr = get(&value);
    std::string text = SUCCEEDED(hr) && value != nullptr ? Narrow(value, std::wcslen(value)) : "";
    CoTaskMemFree(value);
    return text;
}

void PrintTrigger(ITask& task, WORD index) {
    ComPtr<ITaskTrigger> trigger;
    TASK_TRIGGER t{};
    t.cbTriggerSize = sizeof t;
    if (FAILED(task.GetTrigger(index, trigger.put())) || FAILED(trigger->GetTrigger(&t))) return;
    const std::string key = "trigger." + std::to_string(index) + ".";
    const std::pair<const char*, long long> fields[] = {
        {"cbTriggerSize", t.cbTriggerSize},
        {"Reserved1", t.Reserved1},
        {"wBeginYear", t.wBeginYear},
        {"wBeginMonth", t.wBeginMonth},
        {"wBeginDay", t.wBeginDay},
        {"wEndYear", t.wEndYear},
        {"wEndMonth", t.wEndMonth},
        {"wEndDay", t.wEndDay},
        {"wStartHour", t.wStartHour},
        {"wStartMinute", t.wStartMinute},
        {"MinutesDuration", t.MinutesDuration},
        {"MinutesInterval", t.MinutesInterval},
        {"rgFlags", t.rgFlags},
        {"TriggerType", t.TriggerType},
        {"DaysInterval", t.Type.Daily.DaysInterval},
        {"Reserved2", t.Reserved2},
        {"wRandomMinutesInterval", t.wRandomMinutesInterval}};
    for (const auto& [name, value] : fields) Print(key + name, value);
}

int ShowWorkItem() {
    ComPtr<ITaskScheduler> scheduler;
    HRESULT hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ITaskScheduler, scheduler.put_void());
    if (FAILED(hr)) {
        Print("fail", "task show: the Task Scheduler gave " + Hex(static_cast<unsigned long>(hr)));
        return 2;
    }
    ComPtr<ITask> task;
    hr = scheduler->Activate(Wide(kWorkItemName).c_str(), IID_ITask,
                             reinterpret_cast<IUnknown**>(task.put()));
    Print("task.exists", SUCCEEDED(hr) ? 1 : 0);
    if (FAILED(hr)) return 0;
    Print("task.application",
          TaskText(hr, [&](LPWSTR* value) { return task->GetApplicationName(value); }));
    Print("task.parameters",
          TaskText(hr, [&](LPWSTR* value) { return task->GetParameters(value); }));
    DWORD maxRunMs = 0;
    Print("task.maxruntime",
          SUCCEEDED(task->GetMaxRunTime(&maxRunMs)) ? std::to_string(maxRunMs) : "-");
    const std::string account =
        TaskText(hr, [&](LPWSTR* value) { return task->GetAccountInformation(value); });
    Print("task.account.hr", Hex(static_cast<unsigned long>(hr)));
    Print("task.account", account);
    WORD count = 0;
    task->GetTriggerCount(&count);
    Print("task.triggers", count);
    for (WORD i = 0; i < count; ++i) PrintTrigger(*task.get(), i);
    return 0;
}

int CreateWorkItem() {
    SchedulerAccess access;
    HRESULT hr = access.CreateScheduler();
    std::unique_ptr<WorkItem> item;
    if (SUCCEEDED(hr)) {
        access.DeleteWorkItem(kWorkItemName);  // fails when there is none, which is as good
        hr = access.OpenWorkItem(kWorkItemName, item, true);
    }
    if (SUCCEEDED(hr))
        hr = item->SetApplicationName(L"C:\\Program Files\\Ferrolink\\Ferrolink.exe");
    if (SUCCEEDED(hr)) hr = item->SetParameters(L"\"Office\" -u \"jo\" -p \"secret\"");
    if (SUCCEEDED(hr)) hr = item->Save();
    if (FAILED(hr)) {
        Print("fail",
              "task create: the Task Scheduler gave " + Hex(static_cast<unsigned long>(hr)));
        return 2;
    }
    Print("task.created", 1);
    return 0;
}

}  // namespace

int RunTaskCommand(const std::string& action) {
    const ComApartment apartment;
    if (FAILED(apartment.result())) {
        Print("fail", "task " + action + ": no COM (" +
                          Hex(static_cast<unsigned long>(apartment.result())) + ")");
        return 2;
    }
    if (action == "show") return ShowWorkItem();
    if (action == "create") return CreateWorkItem();
    Print("fail", "task: unknown action \"" + action + "\" (show or create)");
    return 2;
}
