#pragma once
// /delete: removes the work item "Ferrolink" without asking, through the same scheduler access
// as the dialog's delete flow; the stored settings stay as they are.
#include <windows.h>

#include "command_channel.h"
#include "scheduler_access.h"

// Returns kExitDone when the work item was deleted or there was none (a line says which), and
// kExitSchedulerFailed when the scheduler object could not be made (`created` failed) or the
// work item not deleted (the message and the Task Scheduler's result on standard error).
int RunDelete(CommandChannel& channel, SchedulerAccess& scheduler, HRESULT created);
