#pragma once
// /status: the machine's state for a person or a monitoring system, changing nothing. The
// first line is in the monitoring plugin's form ("FERROLINK OK - ..."), then one line each for
// the VPN client, the stored settings (never the password), the work item, the Task Scheduler
// and the tunnel.
#include <windows.h>

#include "command_channel.h"
#include "scheduler_access.h"
#include "scheduler_service.h"

// Writes the state to standard output and returns the level as the exit code (StatusLevel).
// `created` is the result of making the scheduler object of `scheduler`: the reason why a
// work item could not be read when it failed.
int RunStatus(CommandChannel& channel, SchedulerAccess& scheduler, HRESULT created,
              SchedulerServicePlatform& service);
