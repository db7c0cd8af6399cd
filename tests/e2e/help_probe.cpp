// Stands in for the help document in the end-to-end tests: "HelpFile" names this program, so
// when the configuration program opens the help through the shell, this runs and appends to
// "help_probe.txt" beside itself one line "show=<n> <command line>", n being the show state it
// was started with ("default" when none was given).
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string marker(path, length);
    marker = marker.substr(0, marker.find_last_of('\\') + 1) + "help_probe.txt";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const std::string show =
        (startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_string(startup.wShowWindow) : "default";
    FILE* file = std::fopen(marker.c_str(), "ab");
    if (file == nullptr) return 1;
    std::fprintf(file, "show=%s %s\n", show.c_str(), GetCommandLineA());
    std::fclose(file);
    return 0;
}
