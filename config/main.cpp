// FerrolinkConfig_WIN: the administrator's dialog for the connector's profile, credentials
// and check interval, and for the scheduled task that runs the connector. Started with a
// command ("/apply", "/status", ...), it does the same without a window, for scripts.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "command_runner.h"
#include "config_app.h"
#include "error_mode.h"
#include "resource_module.h"
#include "wipe_text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    UseUnattendedErrorMode();
    if (__argc > 1) {
        // The command line as the C runtime reads it, so that quotes work as at every prompt.
        std::vector<std::string> arguments(__argv + 1, __argv + __argc);
        for (int i = 1; i < __argc; ++i) {
            SecureZeroMemory(__argv[i], std::strlen(__argv[i]));
        }
        UseResourceLibrary("Lang.dll");
        ConsoleChannel channel;
        const int exitCode = RunCommandLine(arguments, channel);
        for (std::string& argument : arguments) {
            WipeText(argument);
        }
        return exitCode;
    }
    ConfigApp application;
    return application.Run();
}
