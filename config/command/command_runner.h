#pragma once
// The configuration program started with a command: it opens no window, tells what it did
// through a CommandChannel and ends with an exit code that a script can act on.
#include <string>
#include <vector>

#include "command_channel.h"

// Runs the command given by `arguments` (the C runtime's arguments after the program name,
// not empty). Returns the process exit code (ConfigExitCode, or /status's level). Every text
// comes from the string table of the resource module; no password is ever written.
int RunCommandLine(const std::vector<std::string>& arguments, CommandChannel& channel);
