#pragma once
// What goes into the work item "Ferrolink". Each shows nothing and returns its result.
#include <windows.h>

#include <string>

#include "task_scheduler.h"

// The work item's account and its password.
HRESULT SetTaskAccount(WorkItem& task, const std::string& accountUser,
                       const std::string& accountPassword);

// The work item's program (the connector in the settings key's "InstallPath"), its parameters
// and the longest a run may take. 0 when all were taken, 1 when any was not; negative, with
// nothing changed, when the program's path would not fit.
HRESULT SetTaskCommand(WorkItem& task, const std::string& profileName,
                       const std::string& profileUser, const std::string& profilePassword);

// Replaces the trigger of the stored index ("TriggerID") with a new daily trigger of
// `intervalText` minutes and stores the new index; the stored index stays when no trigger
// could be made.
HRESULT SetTaskTrigger(WorkItem& task, const std::string& intervalText);
