#pragma once
// The work item's one trigger: daily from 1 January 2000 at 00:00, without end date,
// repeated every `minutesInterval` minutes for 1440 minutes, so around the clock.
#include <windows.h>
#include <mstask.h>

TASK_TRIGGER DailyTrigger(int minutesInterval);
