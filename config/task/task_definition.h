#pragma once
// What goes into the work item "Ferrolink". Each shows nothing and returns its result.
#include <windows.h>

#include <string>
#include <vector>

#include "task_scheduler.h"

// The interval that the dialog selects when no other is stored, in minutes.
inline constexpr const char* kDefaultInterval = "10";

// The work item's account and its password.
HRESULT SetTaskAccount(WorkItem& task, const std::string& accountUser,
                       const std::string& accountPassword);

// The work item's program (the connector in the settings key's "InstallPath", else in this
// program's own folder, where the setup puts both), its parameters and the longest a run may
// take. Fails, with the result of the first that was not taken, when the program or the
// parameters were not taken, or when the program's path would not fit (nothing changed then);
// a longest run that was not taken leaves the Task Scheduler's default.
HRESULT SetTaskCommand(WorkItem& task, const std::string& profileName,
                       const std::string& profileUser, const std::string& profilePassword);

// Replaces the trigger of the stored index ("TriggerID") with a new daily trigger of
// `intervalText` minutes and stores the new index; the stored index stays when no trigger
// could be made.
HRESULT SetTaskTrigger(WorkItem& task, const std::string& intervalText);

// The intervals, in minutes, that the main dialog's list offers: the leading number of each
// item of its initialisation data, read from the resource module.
std::vector<int> OfferedIntervals();

// What the existing work item says of its account: `accountRequired` false when the Task
// Scheduler keeps no accounts (SCHED_E_NO_SECURITY_SERVICES), `accountUser` the account's last
// piece when it can be read; both unchanged otherwise.
void TakeAccountOfWorkItem(WorkItem& task, bool& accountRequired, std::string& accountUser);
