#include "command_runner.h"

#include "apply_command.h"
#include "com_ptr.h"
#include "command_line_options.h"
#include "command_messages.h"
#include "delete_command.h"
#include "status_command.h"
#include "test_command.h"
#include "resource.h"

namespace {

std::string UsageText() {
    return CommandText(IDS_USAGE) + "\n\n" + CommandText(IDS_USAGE_EXIT_CODES) + "\n\n" +
           CommandText(IDS_USAGE_NOTES);
}

int BadCommandLine(CommandChannel& channel, const std::string& why) {
    channel.Error(why + "\n\n" + UsageText());
    return kExitBadCommandLine;
}

std::string FaultText(const CommandLineReading& reading) {
    switch (reading.fault) {
    case CommandLineFault::SwitchTwice:
        return CommandTextWith(IDS_CLI_SWITCH_TWICE, reading.switchName);
    case CommandLineFault::MissingValue:
        return CommandTextWith(IDS_CLI_MISSING_VALUE, reading.switchName);
    case CommandLineFault::BadNumber:
        return CommandTextWith(IDS_CLI_BAD_NUMBER, reading.switchName);
    case CommandLineFault::NotASwitch:
        return CommandText(IDS_CLI_NOT_A_SWITCH);
    case CommandLineFault::UnknownSwitch:
    case CommandLineFault::None:
        break;
    }
    return CommandTextWith(IDS_CLI_UNKNOWN_SWITCH, reading.switchName);
}

int Run(ConfigCommandLine& line, CommandChannel& channel) {
    if (line.command == ConfigCommand::Help) {
        channel.Out(UsageText());
        return kExitDone;
    }
    if (line.command == ConfigCommand::Test) {
        return RunTest(line, channel);
    }
    // The other commands work on the Task Scheduler object.
    const ComApartment com;
    SchedulerAccess scheduler;
    const HRESULT created = scheduler.CreateScheduler();
    if (line.command == ConfigCommand::Apply) {
        return RunApply(line, channel, scheduler, created, WindowsLogonChecker(),
                        WindowsSchedulerService());
    }
    if (line.command == ConfigCommand::Status) {
        return RunStatus(channel, scheduler, created, WindowsSchedulerService());
    }
    return RunDelete(channel, scheduler, created);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, CommandChannel& channel) {
    CommandLineReading reading = ReadConfigCommandLine(arguments);
    if (!reading.commandLine) {
        return BadCommandLine(channel, FaultText(reading));
    }
    ConfigCommandLine& line = *reading.commandLine;
    if (const auto fault =
            TakePasswordsFromInput(line, [&channel] { return channel.ReadSecretLine(); })) {
        if (!fault->noLine) {
            channel.Error(CommandTextWith(IDS_CLI_INPUT_NOT_PLAIN, fault->switchName));
            return kExitValueRefused;
        }
        return BadCommandLine(
            channel, CommandTextWith(channel.InputRedirected() ? IDS_CLI_NO_INPUT_LINE
                                                               : IDS_CLI_INPUT_NOT_REDIRECTED,
                                     fault->switchName));
    }
    return Run(line, channel);
}
