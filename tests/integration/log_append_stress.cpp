// Several processes append to one log file at the same moment through the connector's own
// append; afterwards every line must be there exactly once and whole.
// Usage: log_append_stress.exe <log file> <writers> <lines per writer>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "log_line.h"
#include "report.h"
#include "win_handles.h"

namespace {

std::string LineText(int writer, int line) {
    // Long enough that a write is not trivially atomic.
    return "writer " + std::to_string(writer) + " line " + std::to_string(line) + " " +
           std::string(200, static_cast<char>('a' + writer % 26));
}

int Write(const std::string& file, int writer, int lines) {
    for (int i = 0; i < lines; ++i) {
        if (!AppendToLogFile(file, MakeLogRecord(LineText(writer, i)))) return 1;
    }
    return 0;
}

// Another handle holds the appenders' turn and never gives it up: the append must still land,
// whole, after its bounded wait for the turn.
int AppendWhileTurnHeld(const std::string& file) {
    DeleteFileA(file.c_str());
    const UniqueFile holder(CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    OVERLAPPED turn{};
    turn.Offset = kAppendTurnOffset;
    turn.OffsetHigh = kAppendTurnOffsetHigh;
    if (!holder || !LockFileEx(holder.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn)) return 2;
    const std::string record = MakeLogRecord("appended while the turn is held");
    const DWORD start = GetTickCount();
    const bool appended = AppendToLogFile(file, record);
    const DWORD waited = GetTickCount() - start;
    std::ifstream in(file, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("appended %d after %lu ms, file holds the record %d\n", appended, waited, content == record);
    return appended && content == record && waited >= 1900 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--writer") {
        return Write(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    }
    if (argc == 3 && std::string(argv[1]) == "--turn-held") {
        return AppendWhileTurnHeld(argv[2]);
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: log_append_stress <file> <writers> <lines>\n");
        return 2;
    }
    const std::string file = argv[1];
    const int writers = std::atoi(argv[2]);
    const int lines = std::atoi(argv[3]);
    DeleteFileA(file.c_str());

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::vector<HANDLE> processes;
    for (int w = 0; w < writers; ++w) {
        std::string commandLine = "\"" + std::string(self) + "\" --writer \"" + file + "\" " +
                                  std::to_string(w) + " " + std::to_string(lines);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process)) {
            std::fprintf(stderr, "cannot start writer %d\n", w);
            return 2;
        }
        CloseHandle(process.hThread);
        processes.push_back(process.hProcess);
    }
    const DWORD ended = WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(),
                                               TRUE, 120000);
    for (HANDLE process : processes) CloseHandle(process);
    if (ended == WAIT_TIMEOUT) {
        std::fprintf(stderr, "the writers did not end within 120 s\n");
        return 1;
    }

    std::ifstream in(file, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::set<std::string> expected;
    for (int w = 0; w < writers; ++w)
        for (int i = 0; i < lines; ++i) expected.insert(LineText(w, i));
    int whole = 0, broken = 0;
    std::size_t pos = 0;
    while (pos < content.size()) {
        const std::size_t end = content.find("\r\n", pos);
        const std::string line = content.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        if (end != std::string::npos && expected.erase(line) == 1) ++whole; else ++broken;
        pos = end == std::string::npos ? content.size() : end + 2;
    }
    std::printf("lines written %d, whole %d, broken %d, missing %zu\n", writers * lines, whole,
                broken, expected.size());
    return broken == 0 && expected.empty() ? 0 : 1;
}
