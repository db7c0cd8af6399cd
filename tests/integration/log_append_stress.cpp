// Appends to one log file through the connector's own append, as connectors started at the
// same moment would: each append opens a handle of its own, and the appenders' turn is a lock
// on that handle.
// Usage: log_append_stress.exe <log file> <writers> <lines per writer>
//          every line must then be there exactly once and whole;
//        log_append_stress.exe --turn-held <log file>
//          another handle holds the turn and never gives it up: the append must still land,
//          whole, after its bounded wait for the turn.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "log_line.h"
#include "report.h"
#include "win_handles.h"

namespace {

std::string Content(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int AppendWhileTurnHeld(const std::string& file) {
    DeleteFileA(file.c_str());
    const UniqueFile holder(CreateFileA(file.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    OVERLAPPED turn{};
    turn.Offset = kAppendTurnOffset;
    turn.OffsetHigh = kAppendTurnOffsetHigh;
    if (!holder || !LockFileEx(holder.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn)) return 2;
    const std::string record = MakeLogRecord("appended while the turn is held");
    const DWORD start = GetTickCount();
    const bool appended = AppendToLogFile(file, record);
    const DWORD waited = GetTickCount() - start;
    const bool whole = Content(file) == record;
    std::printf("appended %d after %lu ms, file holds the record %d\n", appended, waited, whole);
    return appended && whole && waited >= 1900 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--turn-held") return AppendWhileTurnHeld(argv[2]);
    if (argc != 4) {
        std::fprintf(stderr, "usage: log_append_stress <file> <writers> <lines>\n");
        return 2;
    }
    const std::string file = argv[1];
    const int writers = std::atoi(argv[2]), lines = std::atoi(argv[3]);
    DeleteFileA(file.c_str());
    // Long enough that a write is not trivially atomic.
    const auto text = [](int writer, int line) {
        return "writer " + std::to_string(writer) + " line " + std::to_string(line) + " " +
               std::string(200, static_cast<char>('a' + writer % 26));
    };
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < writers; ++w) {
        threads.emplace_back([&, w] {
            for (int i = 0; i < lines; ++i)
                failed += AppendToLogFile(file, MakeLogRecord(text(w, i))) ? 0 : 1;
        });
    }
    for (std::thread& thread : threads) thread.join();

    std::set<std::string> expected;
    for (int w = 0; w < writers; ++w)
        for (int i = 0; i < lines; ++i) expected.insert(text(w, i) + "\r\n");
    const std::string content = Content(file);
    int broken = 0;
    for (std::size_t pos = 0, end; pos < content.size(); pos = end) {
        end = content.find("\r\n", pos);
        end = end == std::string::npos ? content.size() : end + 2;
        broken += expected.erase(content.substr(pos, end - pos)) == 1 ? 0 : 1;
    }
    std::printf("lines written %d, failed %d, broken %d, missing %zu\n", writers * lines,
                failed.load(), broken, expected.size());
    return failed == 0 && broken == 0 && expected.empty() ? 0 : 1;
}
