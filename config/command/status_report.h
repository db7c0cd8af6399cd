#pragma once
// What /status makes of the machine's state: the monitoring plugin's level and why, and the
// times it shows. Needs no Windows API.
#include <optional>
#include <string>

// The monitoring plugin's levels; each is also /status's exit code.
enum class StatusLevel : int { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

// A fact that was read, read as not so, or could not be read.
enum class Fact { Yes, No, Unreadable };

// What keeps the work item from running the connector, as the Task Scheduler tells it.
enum class TaskHindrance {
    None,
    Disabled,           // the work item is disabled
    NotScheduled,       // no trigger that will run it (none, none valid, or no more runs)
    LastRunNotStarted,  // its last run could not start (the account's password changed)
};

struct StatusFacts {
    bool clientFound = false;
    Fact schedulerRunning = Fact::Unreadable;
    Fact taskPresent = Fact::Unreadable;
    Fact tunnelUp = Fact::Unreadable;
    // The connector's exit code of the work item's most recent run; nothing when it has not
    // run or the Task Scheduler cannot tell.
    std::optional<unsigned long> lastRunExitCode;
    TaskHindrance hindrance = TaskHindrance::None;
};

// The reason the first line names.
enum class StatusReason {
    TunnelUp,             // OK
    TunnelDown,           // WARNING
    LastRunFailed,        // WARNING: the connector ended with 1
    TaskDisabled,         // WARNING: nothing keeps the tunnel up
    TaskNotScheduled,     // WARNING: nothing keeps the tunnel up
    LastRunNotStarted,    // WARNING: nothing keeps the tunnel up
    NoClient,             // CRITICAL
    SchedulerNotRunning,  // CRITICAL
    NoTask,               // CRITICAL
    Unreadable,           // UNKNOWN
};

struct StatusVerdict {
    StatusLevel level;
    StatusReason reason;
};

// The worst that is known: CRITICAL (no client, then the Task Scheduler not running, then no
// work item) before UNKNOWN (anything of those or of the tunnel that could not be read), before
// WARNING (a work item that nothing runs: disabled, not scheduled or its last run not started;
// then the tunnel down, then a last run that ended with 1), before OK.
StatusVerdict JudgeStatus(const StatusFacts& facts);

// A time as "YYYY-MM-DD HH:MM:SS".
std::string FormatRunTime(int year, int month, int day, int hour, int minute, int second);
