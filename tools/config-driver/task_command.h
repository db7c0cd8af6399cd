#pragma once
// `config_driver task show|create`: the stored work item of the configuration program.
#include <string>

// Runs the action ("show" or "create") and prints what it saw or did. Returns the driver's
// exit code: 0, or 2 after "fail=..." when the action is unknown or the Task Scheduler fails.
int RunTaskCommand(const std::string& action);
