#pragma once
// The configuration program's access to the Task Scheduler: one scheduler object held while
// the main dialog is shown, and the work item "Ferrolink". Shows nothing; returns results.
// Without a scheduler object every operation fails with E_POINTER.
#include <windows.h>

#include <memory>

#include "task_scheduler.h"

inline constexpr const char* kWorkItemName = "Ferrolink";
// What opening or deleting a work item that is not stored gives.
inline constexpr HRESULT kNoSuchWorkItem = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

class SchedulerAccess {
public:
    // Empties the access, then creates the Task Scheduler's COM object into it. Returns
    // CoCreateInstance's result; on failure the access stays empty.
    HRESULT CreateScheduler();
    // Uses `scheduler` (a stand-in, in tests) in place of the COM object.
    void UseScheduler(std::unique_ptr<TaskScheduler> scheduler);
    // Releases the scheduler object, if there is one.
    void ReleaseScheduler();

    // Opens the stored work item `name` (narrow text), or, when that fails for any reason and
    // `create` is set, makes a new one in memory (stored only when it is saved). `task`
    // receives the work item only on success. A missing name, or one of more than 255 UTF-16
    // units, fails with E_INVALIDARG.
    HRESULT OpenWorkItem(const char* name, std::unique_ptr<WorkItem>& task, bool create);
    // Removes the stored work item `name`; a negative result when it cannot be, kNoSuchWorkItem
    // when it does not exist. Names are refused as OpenWorkItem refuses them.
    HRESULT DeleteWorkItem(const char* name);

private:
    std::unique_ptr<TaskScheduler> m_scheduler;
};
