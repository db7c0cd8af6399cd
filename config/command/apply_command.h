#pragma once
// /apply: what OK does, through the same apply flow, for a script that cannot be asked: the
// values not given are the stored ones, empty profile credentials are refused, the
// Windows account comes from /account and /accountpassword, the Task Scheduler is started
// without asking, and a failed step of the Task Scheduler is told with its result.
#include <windows.h>

#include <optional>
#include <string>

#include "command_channel.h"
#include "command_line_options.h"
#include "logon_check.h"
#include "scheduler_access.h"
#include "scheduler_service.h"

// Returns kExitDone, or the exit code of what stopped or failed (11 to 16).
int RunApply(const ConfigCommandLine& line, CommandChannel& channel, SchedulerAccess& scheduler,
             HRESULT created, LogonChecker& logon, SchedulerServicePlatform& service);
