#include "status_report.h"

#include <cstdio>

StatusVerdict JudgeStatus(const StatusFacts& facts) {
    if (!facts.clientFound) return {StatusLevel::Critical, StatusReason::NoClient};
    if (facts.schedulerRunning == Fact::No) {
        return {StatusLevel::Critical, StatusReason::SchedulerNotRunning};
    }
    if (facts.taskPresent == Fact::No) return {StatusLevel::Critical, StatusReason::NoTask};
    if (facts.schedulerRunning == Fact::Unreadable || facts.taskPresent == Fact::Unreadable ||
        facts.tunnelUp == Fact::Unreadable) {
        return {StatusLevel::Unknown, StatusReason::Unreadable};
    }
    switch (facts.hindrance) {
    case TaskHindrance::Disabled: return {StatusLevel::Warning, StatusReason::TaskDisabled};
    case TaskHindrance::NotScheduled: return {StatusLevel::Warning, StatusReason::TaskNotScheduled};
    case TaskHindrance::LastRunNotStarted:
        return {StatusLevel::Warning, StatusReason::LastRunNotStarted};
    case TaskHindrance::None: break;
    }
    if (facts.tunnelUp == Fact::No) return {StatusLevel::Warning, StatusReason::TunnelDown};
    if (facts.lastRunExitCode == 1ul) return {StatusLevel::Warning, StatusReason::LastRunFailed};
    return {StatusLevel::Ok, StatusReason::TunnelUp};
}

std::string FormatRunTime(int year, int month, int day, int hour, int minute, int second) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    return text;
}
