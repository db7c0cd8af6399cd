#include "status_command.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "client_contract.h"
#include "command_messages.h"
#include "convert_string.h"
#include "installed_client.h"
#include "resource.h"
#include "scheduler_access.h"
#include "settings_store.h"
#include "status_report.h"
#include "task_parameters.h"
#include "win_handles.h"
#include "wipe_text.h"

namespace {

// Room for a text read from the Task Scheduler.
constexpr std::size_t kTextRoom = 1024;


std::string Decimal(unsigned long value) { return std::to_string(value); }

// Empty when the text cannot be converted or does not fit.
SecretString Narrow(const std::wstring& text) { return ToAnsi(text, kTextRoom).value_or(""); }

std::string Unreadable(HRESULT hr) {
    return CommandTextWith(IDS_VALUE_NOT_READ, HresultText(hr));
}

std::string Time(const SYSTEMTIME& t) {
    return FormatRunTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

std::string StatusText(HRESULT status) {
    switch (status) {
    case SCHED_S_TASK_READY: return CommandText(IDS_VALUE_READY);
    case SCHED_S_TASK_RUNNING: return CommandText(IDS_VALUE_RUNNING);
    case SCHED_S_TASK_DISABLED: return CommandText(IDS_VALUE_DISABLED);
    case SCHED_S_TASK_HAS_NOT_RUN: return CommandText(IDS_VALUE_HAS_NOT_RUN);
    case SCHED_S_TASK_NOT_SCHEDULED: return CommandText(IDS_VALUE_NOT_SCHEDULED);
    case SCHED_S_TASK_NO_VALID_TRIGGERS: return CommandText(IDS_VALUE_NO_VALID_TRIGGERS);
    default: return HresultText(status);
    }
}

unsigned FirstLineId(StatusReason reason) {
    switch (reason) {
    case StatusReason::TunnelUp: return IDS_STATUS_OK;
    case StatusReason::TunnelDown: return IDS_STATUS_TUNNEL_DOWN;
    case StatusReason::LastRunFailed: return IDS_STATUS_LAST_RUN_FAILED;
    case StatusReason::TaskDisabled: return IDS_STATUS_TASK_DISABLED;
    case StatusReason::TaskNotScheduled: return IDS_STATUS_TASK_NOT_SCHEDULED;
    case StatusReason::LastRunNotStarted: return IDS_STATUS_LAST_RUN_NOT_STARTED;
    case StatusReason::NoClient: return IDS_STATUS_NO_CLIENT;
    case StatusReason::SchedulerNotRunning: return IDS_STATUS_SCHEDULER_STOPPED;
    case StatusReason::NoTask: return IDS_STATUS_NO_TASK;
    case StatusReason::Unreadable: break;
    }
    return IDS_STATUS_UNREADABLE;
}

// The lines of the work item, and what the verdict needs of it.
void DescribeWorkItem(WorkItem& task, StatusFacts& facts, std::string& lines) {
    const auto line = [&](unsigned id, const std::string& value) {
        lines += "\n" + CommandTextWith(id, value);
    };
    std::wstring text;
    HRESULT hr = task.GetApplicationName(text);
    line(IDS_STATUS_TASK_APPLICATION, SUCCEEDED(hr) ? Narrow(text) : Unreadable(hr));
    hr = task.GetParameters(text);
    if (SUCCEEDED(hr)) {
        // The parameters hold the password: the unmasked copies are wiped at once.
        const SecretString parameters = Narrow(text);
        line(IDS_STATUS_TASK_PARAMETERS, MaskedParameters(parameters));
        WipeText(text);
    } else {
        line(IDS_STATUS_TASK_PARAMETERS, Unreadable(hr));
    }

    std::wstring account;
    hr = task.GetAccountInformation(account);
    line(IDS_STATUS_TASK_ACCOUNT, SUCCEEDED(hr) ? Narrow(account)
                                  : hr == SCHED_E_NO_SECURITY_SERVICES
                                      ? CommandText(IDS_VALUE_NOT_KEPT)
                                      : Unreadable(hr));
    TASK_TRIGGER trigger{};
    hr = task.GetTrigger(static_cast<WORD>(LoadTriggerId().value_or(0)), trigger);
    line(IDS_STATUS_TASK_TRIGGER,
         SUCCEEDED(hr) ? CommandTextWith(IDS_VALUE_EVERY_MINUTES, Decimal(trigger.MinutesInterval))
                       : Unreadable(hr));
    // No trigger at the stored index, nor any at the first: nothing starts the work item.
    const bool noTrigger =
        hr == SCHED_E_TRIGGER_NOT_FOUND && task.GetTrigger(0, trigger) == SCHED_E_TRIGGER_NOT_FOUND;
    HRESULT status = S_OK;
    hr = task.GetStatus(status);
    line(IDS_STATUS_TASK_STATE, SUCCEEDED(hr) ? StatusText(status) : Unreadable(hr));
    if (SUCCEEDED(hr) && status == SCHED_S_TASK_DISABLED) {
        facts.hindrance = TaskHindrance::Disabled;
    } else if (SUCCEEDED(hr) && (status == SCHED_S_TASK_NO_VALID_TRIGGERS ||
                                 status == SCHED_S_TASK_NO_MORE_RUNS || noTrigger)) {
        // Not SCHED_S_TASK_NOT_SCHEDULED: Wine gives it for every work item, so that here it
        // could not be told from a work item that runs.
        facts.hindrance = TaskHindrance::NotScheduled;
    }

    SYSTEMTIME when{};
    hr = task.GetMostRecentRunTime(when);
    // Wine gives a work item that never ran a time of zeros rather than
    // SCHED_S_TASK_HAS_NOT_RUN.
    if (hr == S_OK && when.wYear == 0) hr = SCHED_S_TASK_HAS_NOT_RUN;
    DWORD exitCode = 0;
    if (hr == S_OK) {
        // A failure is why the last run could not start (a logon refused, a program not found).
        const HRESULT exit = task.GetExitCode(exitCode);
        if (exit == S_OK) facts.lastRunExitCode = exitCode;
        if (FAILED(exit) && facts.hindrance == TaskHindrance::None) {
            facts.hindrance = TaskHindrance::LastRunNotStarted;
        }
        line(IDS_STATUS_TASK_LAST_RUN,
             Time(when) + ", " +
                 (exit == S_OK   ? CommandTextWith(IDS_VALUE_EXIT_CODE, Decimal(exitCode))
                  : FAILED(exit) ? CommandTextWith(IDS_VALUE_NOT_STARTED,
                                                   HresultText(exit))
                                 : Unreadable(exit)));
    } else {
        line(IDS_STATUS_TASK_LAST_RUN,
             hr == SCHED_S_TASK_HAS_NOT_RUN ? CommandText(IDS_VALUE_NEVER) : Unreadable(hr));
    }
    hr = task.GetNextRunTime(when);
    line(IDS_STATUS_TASK_NEXT_RUN, hr == S_OK      ? Time(when)
                                   : SUCCEEDED(hr) ? CommandText(IDS_VALUE_NONE)
                                                   : Unreadable(hr));
}

}  // namespace

int RunStatus(CommandChannel& channel, SchedulerAccess& scheduler, HRESULT created,
              SchedulerServicePlatform& service) {
    StatusFacts facts;
    std::string lines;
    const auto line = [&](unsigned id, const std::string& value) {
        lines += "\n" + CommandTextWith(id, value);
    };

    const std::optional<std::string> folder = ReadVpnClientFolder();
    facts.clientFound = folder.has_value();
    line(IDS_STATUS_CLIENT,
         folder ? CommandTextWith(IDS_VALUE_FOUND_IN, *folder) : CommandText(IDS_VALUE_NOT_FOUND));

    // The stored password is never shown: it is wiped as soon as it is read.
    ConnectorSettings settings = LoadSettings();
    settings.profilePassword.reset();
    const std::string notStored = CommandText(IDS_VALUE_NOT_STORED);
    line(IDS_STATUS_PROFILE, settings.profileName.value_or(notStored));
    line(IDS_STATUS_INTERVAL,
         settings.intervalMinutes ? std::to_string(*settings.intervalMinutes) : notStored);
    line(IDS_STATUS_USER, settings.profileUser.value_or(notStored));

    std::unique_ptr<WorkItem> task;
    const HRESULT opened =
        FAILED(created) ? created : scheduler.OpenWorkItem(kWorkItemName, task, false);
    if (SUCCEEDED(opened)) {
        facts.taskPresent = Fact::Yes;
        line(IDS_STATUS_TASK, CommandText(IDS_VALUE_PRESENT));
        DescribeWorkItem(*task, facts, lines);
    } else if (opened == kNoSuchWorkItem) {
        facts.taskPresent = Fact::No;
        line(IDS_STATUS_TASK, CommandText(IDS_NO_TASK));
    } else {
        line(IDS_STATUS_TASK, Unreadable(opened));
    }

    const std::optional<bool> running = SchedulerIsRunning(service);
    facts.schedulerRunning = !running ? Fact::Unreadable : *running ? Fact::Yes : Fact::No;
    line(IDS_STATUS_SCHEDULER, !running   ? CommandText(IDS_VALUE_UNKNOWN)
                               : *running ? CommandText(IDS_VALUE_RUNNING)
                                          : CommandText(IDS_VALUE_NOT_RUNNING));

    const std::optional<DWORD> tunnel = ReadTunnelFlag();
    facts.tunnelUp = !tunnel ? Fact::Unreadable : *tunnel != 0 ? Fact::Yes : Fact::No;
    line(IDS_STATUS_TUNNEL, !tunnel        ? CommandText(IDS_VALUE_UNKNOWN)
                            : *tunnel != 0 ? CommandText(IDS_VALUE_UP)
                                           : CommandText(IDS_VALUE_DOWN));

    const StatusVerdict verdict = JudgeStatus(facts);
    channel.Out(CommandText(FirstLineId(verdict.reason)) + lines);
    return static_cast<int>(verdict.level);
}
