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

// A turn is a single write, so a longer wait means a run that has stalled or been stopped
// while holding it; the line is then appended without the turn rather than lost.
constexpr DWORD kAppendTurnWaitMs = 2000;
constexpr DWORD kAppendTurnPollMs = 20;

// Waits a bounded time for this run's turn at the file. False when the turn was not had: the
// wait ran out, or the file system keeps no locks.
bool TakeAppendTurn(HANDLE file) {
    for (DWORD waited = 0;; waited += kAppendTurnPollMs) {
        OVERLAPPED turn{};
        turn.Offset = kAppendTurnOffset;
        turn.OffsetHigh = kAppendTurnOffsetHigh;
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &turn)) {
            return true;
        }
        if (GetLastError() != ERROR_LOCK_VIOLATION || waited >= kAppendTurnWaitMs) {
            return false;
        }
        Sleep(kAppendTurnPollMs);
    }
}

void GiveUpAppendTurn(HANDLE file) {
    OVERLAPPED turn{};
    turn.Offset = kAppendTurnOffset;
    turn.OffsetHigh = kAppendTurnOffsetHigh;
    UnlockFileEx(file, 0, 1, 0, &turn);
}

}  // namespace

bool AppendToLogFile(const std::string& logFile, const std::string& record) {
    // Append-only: every write lands at the file's end, also one made without the turn while
    // another run writes, which a seek to the end and a write could overwrite. Read access is
    // what the turn's lock needs.
    const UniqueFile file(CreateFileA(logFile.c_str(), GENERIC_READ | FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    const bool turnTaken = TakeAppendTurn(file.get());
    DWORD count = 0;
    const bool written = WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()),
                                   &count, nullptr) &&
                         count == record.size();
    if (turnTaken) {
        GiveUpAppendTurn(file.get());
    }
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
