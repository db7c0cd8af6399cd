#include "report.h"

#include <windows.h>

#include <ctime>

#include "log_line.h"
#include "win_handles.h"

namespace {

using EventSource = UniqueResource<NullEmptyTraits<HANDLE, DeregisterEventSource>>;

std::tm CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return local;
}

}  // namespace

bool AppendToLogFile(const std::string& logFile, const std::string& record) {
    const UniqueFile file(CreateFileA(logFile.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    OVERLAPPED whole{};
    if (!LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        return false;
    }
    bool written = false;
    LARGE_INTEGER end{};
    if (SetFilePointerEx(file.get(), LARGE_INTEGER{}, &end, FILE_END)) {
        DWORD count = 0;
        written = WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &count,
                            nullptr) &&
                  count == record.size();
    }
    OVERLAPPED unlock{};
    UnlockFileEx(file.get(), 0, MAXDWORD, MAXDWORD, &unlock);
    return written;
}

void ReportResult(const std::string& logFile, const std::string& message) {
    if (!logFile.empty()) {
        AppendToLogFile(logFile, MakeLogRecord(MakeLogLine(message, CurrentLocalTime())));
    }
    const EventSource source(RegisterEventSourceA(nullptr, kEventSource));
    const char* strings[] = {message.c_str()};
    ReportEventA(source.get(), EVENTLOG_INFORMATION_TYPE, 0, kEventId, nullptr, 1, 0, strings,
                 nullptr);
}
