#pragma once
// The Task Scheduler as the configuration program uses it: a scheduler that opens, makes and
// deletes work items by name, and a work item with its account, program, parameters, triggers
// and saving. The program's implementation is the Task Scheduler's COM interfaces
// (ITaskScheduler, ITask, ITaskTrigger, IPersistFile); the flows are written against these
// interfaces alone, so that they can be proven against a stand-in. Texts are UTF-16, as the
// Task Scheduler takes them. Results are HRESULTs: negative is failure.
#include <windows.h>
#include <mstask.h>

#include <memory>
#include <string>

// One trigger of a work item, for as long as the object lives.
class TaskTrigger {
public:
    virtual ~TaskTrigger() = default;
    // Gives the trigger the values of `trigger` (ITaskTrigger::SetTrigger).
    virtual HRESULT SetTrigger(const TASK_TRIGGER& trigger) = 0;
};

// One work item, stored or made in memory; changes reach the store only through Save.
class WorkItem {
public:
    virtual ~WorkItem() = default;
    // The account that runs the work item (GetAccountInformation); SCHED_E_NO_SECURITY_SERVICES
    // on a platform that keeps no accounts for work items. `account` is set only on success.
    virtual HRESULT GetAccountInformation(std::wstring& account) = 0;
    // The account and its password that go with the work item when it is saved.
    virtual HRESULT SetAccountInformation(const wchar_t* account, const wchar_t* password) = 0;
    virtual HRESULT SetApplicationName(const wchar_t* path) = 0;
    virtual HRESULT SetParameters(const wchar_t* parameters) = 0;
    // The longest a run may take before the Task Scheduler ends it, in milliseconds.
    virtual HRESULT SetMaxRunTime(DWORD milliseconds) = 0;
    // Removes the trigger of that index.
    virtual HRESULT DeleteTrigger(WORD index) = 0;
    // Adds a trigger; gives its index and the trigger on success, and leaves both untouched on
    // failure.
    virtual HRESULT CreateTrigger(WORD& index, std::unique_ptr<TaskTrigger>& trigger) = 0;
    // Writes the work item to the Task Scheduler's store under its name
    // (IPersistFile::Save(nullptr, FALSE)).
    virtual HRESULT Save() = 0;

    // What a stored work item tells of itself. Each output is set only on success.
    virtual HRESULT GetApplicationName(std::wstring& path) = 0;
    virtual HRESULT GetParameters(std::wstring& parameters) = 0;
    // The values of the trigger of that index (ITask::GetTrigger, then ITaskTrigger::GetTrigger).
    virtual HRESULT GetTrigger(WORD index, TASK_TRIGGER& trigger) = 0;
    // The work item's state (GetStatus): SCHED_S_TASK_READY, SCHED_S_TASK_RUNNING, ...
    virtual HRESULT GetStatus(HRESULT& status) = 0;
    // The start of the most recent run; SCHED_S_TASK_HAS_NOT_RUN, a success, when none was.
    virtual HRESULT GetMostRecentRunTime(SYSTEMTIME& time) = 0;
    // The exit code of the most recent run; SCHED_S_TASK_HAS_NOT_RUN when none was.
    virtual HRESULT GetExitCode(DWORD& code) = 0;
    // The next time it runs; SCHED_S_TASK_NO_VALID_TRIGGERS, SCHED_S_TASK_DISABLED or
    // SCHED_S_EVENT_TRIGGER, successes, when there is no such time.
    virtual HRESULT GetNextRunTime(SYSTEMTIME& time) = 0;
};

// The scheduler object.
class TaskScheduler {
public:
    virtual ~TaskScheduler() = default;
    // Opens the stored work item `name`; `item` is set only on success.
    virtual HRESULT Activate(const wchar_t* name, std::unique_ptr<WorkItem>& item) = 0;
    // Makes a new work item `name` in memory, stored only when it is saved; `item` is set only
    // on success.
    virtual HRESULT NewWorkItem(const wchar_t* name, std::unique_ptr<WorkItem>& item) = 0;
    // Removes the stored work item `name`; a negative result when it cannot be (also when it
    // does not exist).
    virtual HRESULT Delete(const wchar_t* name) = 0;
};

// Creates the Task Scheduler's in-process COM object (CoCreateInstance) on the calling
// thread, which must have initialised COM. `scheduler` is set only on success; returns
// CoCreateInstance's result.
HRESULT CreateComTaskScheduler(std::unique_ptr<TaskScheduler>& scheduler);
