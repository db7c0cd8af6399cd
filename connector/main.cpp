// The connector: started by the Task Scheduler with a profile, -u user, -p password and an
// optional -l log file; keeps the VPN tunnel up and ends with 0 or 1. It has no window.
#include <windows.h>

#include "error_mode.h"
#include "run.h"
#include "windows_machine.h"
#include "wipe_text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    UseUnattendedErrorMode();
    // Taken from the process command line rather than from mingw's lpCmdLine, which cuts a
    // quoted program name differently from the Windows runtime.
    std::vector<std::string> args =
        SplitCommandLine(CommandLineAfterProgramName(GetCommandLineA()));
    ConnectorOptions options;
    WindowsMachine machine;
    const int exitCode = RunConnector(args, options, machine);
    // The password stood in a token and in the options.
    for (auto& token : args) {
        WipeText(token);
    }
    WipeText(options.password);
    return exitCode;
}
