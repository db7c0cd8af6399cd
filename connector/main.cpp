// The connector: started by the Task Scheduler with a profile, -u user, -p password and an
// optional -l log file; keeps the VPN tunnel up and ends with 0 or 1. It has no window.
#include <windows.h>

#include "run.h"
#include "vpn_client_driver.h"

namespace {

void Wipe(std::string& text) { SecureZeroMemory(text.data(), text.size()); }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int) {
    std::vector<std::string> args = SplitCommandLine(lpCmdLine);
    ConnectorOptions options;
    WindowsConnectorDriver driver;
    const int exitCode = RunConnector(args, options, driver);
    // The password stood in a token and in the options.
    for (auto& token : args) {
        Wipe(token);
    }
    Wipe(options.password);
    return exitCode;
}
