#pragma once
// The configuration program's access to the Task Scheduler: one scheduler object held while
// the main dialog is shown, and the work item "Ferrolink". Shows nothing; returns results.
#include <windows.h>
#include <mstask.h>

#include "com_ptr.h"

inline constexpr const char* kWorkItemName = "Ferrolink";

class SchedulerAccess {
public:
    // Empties m_scheduler, then creates the in-process Task Scheduler object into it.
    // Returns CoCreateInstance's result.
    HRESULT CreateScheduler();
    // Releases the scheduler object, if there is one.
    void ReleaseScheduler();
    // Opens the stored work item `name` (narrow text), or, when that fails and `create` is
    // set, makes a new one in memory (stored only when it is saved). `task` receives the
    // ITask only on success. Without a scheduler object it fails with E_POINTER; a missing
    // name, or one of more than 255 UTF-16 units, fails with E_INVALIDARG.
    HRESULT OpenWorkItem(const char* name, ComPtr<ITask>& task, bool create);

protected:
    ComPtr<ITaskScheduler> m_scheduler;
};
