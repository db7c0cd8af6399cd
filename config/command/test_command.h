#pragma once
// /test: the configuration test without a dialog. The connect run with the given or stored
// profile, user name and password, its outcome with the exit code's name, and the disconnect
// run after a success. Saves nothing.
#include "command_channel.h"
#include "command_line_options.h"

// Waits at most the command line's /timeout (default kDefaultTimeoutSeconds). Returns
// kExitDone after a success, kExitTestFailed after any other outcome, kExitTestTimedOut when
// the run was still going; that run is then taken down as the dialog's closing does.
int RunTest(const ConfigCommandLine& line, CommandChannel& channel);
