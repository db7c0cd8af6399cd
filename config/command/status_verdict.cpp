#include "status_verdict.h"

#include <cctype>
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
    if (facts.tunnelUp == Fact::No) return {StatusLevel::Warning, StatusReason::TunnelDown};
    if (facts.lastRunExitCode == 1ul) return {StatusLevel::Warning, StatusReason::LastRunFailed};
    return {StatusLevel::Ok, StatusReason::TunnelUp};
}

std::string MaskedParameters(const std::string& parameters) {
    const auto blank = [&](std::size_t at) {
        return at >= parameters.size() || std::isspace(static_cast<unsigned char>(parameters[at]));
    };
    for (std::size_t at = 0; at + 1 < parameters.size(); ++at) {
        if (parameters[at] == '-' && (parameters[at + 1] == 'p' || parameters[at + 1] == 'P') &&
            (at == 0 || blank(at - 1)) && blank(at + 2)) {
            return parameters.substr(0, at + 2) + " ***";
        }
    }
    return parameters;
}

std::string FormatRunTime(int year, int month, int day, int hour, int minute, int second) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    return text;
}
