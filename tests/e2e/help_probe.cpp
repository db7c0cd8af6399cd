// Stands in for the help document in the end-to-end tests: "HelpFile" names this program, so
// when the configuration program opens the help through the shell, this runs and leaves
// "help_probe.txt" beside itself with the command line it was given.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string marker(path, length);
    marker = marker.substr(0, marker.find_last_of('\\') + 1) + "help_probe.txt";
    FILE* file = std::fopen(marker.c_str(), "ab");
    if (file == nullptr) return 1;
    std::fprintf(file, "%s\n", GetCommandLineA());
    std::fclose(file);
    return 0;
}
