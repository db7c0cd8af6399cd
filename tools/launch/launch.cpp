// Starts a program with an exact command line, as the Task Scheduler would, waits for it and
// ends with its exit code; prints "exit=<code>" and "elapsed_ms=<start to end>".
// Usage: launch.exe [--stdio] <command line, passed on unchanged> | @<file holding it>
// With --stdio the program gets this launcher's standard input, output and error (what a
// batch file or a deployment tool gives a program whose output it reads); its output comes
// before the launcher's own lines.
// `wine prog.exe args` re-quotes its arguments; this launcher takes its own command-line
// tail as it stands, so tests can give the connector any bytes they like.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "command_line.h"
#include "win_handles.h"

int main() {
    const char* line = CommandLineAfterProgramName(GetCommandLineA());
    // The command line may be given in a file instead, for bytes that a shell cannot pass:
    // launch.exe @C:\path\to\file
    constexpr char kStdio[] = "--stdio ";
    const bool stdio = std::strncmp(line, kStdio, sizeof kStdio - 1) == 0;
    if (stdio) line += sizeof kStdio - 1;
    std::string commandLine = line;
    if (!commandLine.empty() && commandLine[0] == '@') {
        FILE* file = std::fopen(commandLine.c_str() + 1, "rb");
        if (file == nullptr) {
            std::fprintf(stderr, "launch: cannot read %s\n", commandLine.c_str() + 1);
            return 120;
        }
        commandLine.clear();
        char buffer[4096];
        std::size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            commandLine.append(buffer, count);
        std::fclose(file);
    }
    LARGE_INTEGER frequency, started, ended;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (stdio) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
            SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        }
        std::fflush(stdout);
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, stdio, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "launch: CreateProcess failed with %lu\n", GetLastError());
        return 121;
    }
    const UniqueHandle thread(process.hThread);
    const UniqueHandle child(process.hProcess);
    WaitForSingleObject(child.get(), INFINITE);
    QueryPerformanceCounter(&ended);
    DWORD code = 0;
    GetExitCodeProcess(child.get(), &code);
    std::printf("exit=%lu\nelapsed_ms=%.1f\n", code,
                1000.0 * static_cast<double>(ended.QuadPart - started.QuadPart) /
                    static_cast<double>(frequency.QuadPart));
    return static_cast<int>(code);
}
