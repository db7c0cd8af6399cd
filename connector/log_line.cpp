#include "log_line.h"

#include <cstdio>

std::string MakeLogLine(const std::string& message, const std::tm& localTime) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int day = localTime.tm_wday >= 0 && localTime.tm_wday < 7 ? localTime.tm_wday : 0;
    const int month = localTime.tm_mon >= 0 && localTime.tm_mon < 12 ? localTime.tm_mon : 0;
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%s %s %02d %02d:%02d:%02d %04d", kDays[day],
                  kMonths[month], localTime.tm_mday, localTime.tm_hour, localTime.tm_min,
                  localTime.tm_sec, localTime.tm_year + 1900);
    return std::string(stamp) + ": " + message;
}

std::string MakeLogRecord(const std::string& logLine) {
    std::string record;
    record.reserve(logLine.size() + 2);
    for (char c : logLine + "\n") {
        if (c == '\n') {
            record += '\r';
        }
        record += c;
    }
    return record;
}
