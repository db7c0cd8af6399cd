// FerrolinkConfig_WIN: the administrator's dialog for the connector's profile, credentials
// and check interval, and for the scheduled task that runs the connector.
#include <windows.h>

#include "config_app.h"
#include "error_mode.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    UseUnattendedErrorMode();
    ConfigApp application;
    return application.Run();
}
