// Starts a program with an exact command line, as the Task Scheduler would, waits for it and
// ends with its exit code. Usage: launch.exe <command line, passed on unchanged>.
// `wine prog.exe args` re-quotes its arguments; this launcher takes its own command-line
// tail as it stands, so tests can give the connector any bytes they like.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    const char* line = GetCommandLineA();
    // Skip this program's own name, quoted or not, and the blanks after it.
    if (*line == '"') {
        ++line;
        while (*line != '\0' && *line != '"') ++line;
        if (*line == '"') ++line;
    } else {
        while (*line > ' ') ++line;
    }
    while (*line != '\0' && *line <= ' ') ++line;
    // The command line may be given in a file instead, for bytes that a shell cannot pass:
    // launch.exe @C:\path\to\file
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
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) commandLine.append(buffer, count);
        std::fclose(file);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "launch: CreateProcess failed with %lu\n", GetLastError());
        return 121;
    }
    CloseHandle(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    std::printf("exit=%lu\n", code);
    return static_cast<int>(code);
}
