#include "command_runner.h"

#include "apply_command.h"
#include "com_ptr.h"
#include "command_line_options.h"
#include "command_texts.h"
#include "delete_command.h"
#include "status_command.h"
#include "test_command.h"
#include "resource.h"
#include "wipe_text.h"

namespace {

std::string Text(unsigned id) { return CommandText(id); }

std::string TextWith(unsigned id, const std::string& argument) {
    return CommandTextWith(id, argument);
}

std::string UsageText() {
    return Text(IDS_USAGE) + "\n" + Text(IDS_USAGE_EXIT_CODES) + "\n" + Text(IDS_USAGE_NOTES);
}

int BadCommandLine(CommandChannel& channel, const std::string& why) {
    channel.Error(why + "\n" + UsageText());
    return kExitBadCommandLine;
}

std::string FaultText(const CommandLineReading& reading) {
    switch (reading.fault) {
    case CommandLineFault::SwitchTwice:
        return TextWith(IDS_CLI_SWITCH_TWICE, reading.switchName);
    case CommandLineFault::MissingValue:
        return TextWith(IDS_CLI_MISSING_VALUE, reading.switchName);
    case CommandLineFault::BadNumber:
        return TextWith(IDS_CLI_BAD_NUMBER, reading.switchName);
    case CommandLineFault::NotASwitch:
        return Text(IDS_CLI_NOT_A_SWITCH);
    case CommandLineFault::UnknownSwitch:
    case CommandLineFault::None:
        break;
    }
    return TextWith(IDS_CLI_UNKNOWN_SWITCH, reading.switchName);
}

// Wipes the passwords of a command line when the command is done.
struct PasswordsWiped {
    ConfigCommandLine& line;
    ~PasswordsWiped() {
        if (line.password) WipeText(*line.password);
        if (line.accountPassword) WipeText(*line.accountPassword);
    }
};

int Run(ConfigCommandLine& line, const std::string& commandName, CommandChannel& channel) {
    switch (line.command) {
    case ConfigCommand::Help:
        channel.Out(UsageText());
        return kExitDone;
    case ConfigCommand::Test:
        return RunTest(line, channel);
    case ConfigCommand::Status:
    case ConfigCommand::Delete:
    case ConfigCommand::Apply: {
        const ComApartment com;
        SchedulerAccess scheduler;
        const HRESULT created = scheduler.CreateScheduler();
        if (line.command == ConfigCommand::Apply) {
            return RunApply(line, channel, scheduler, created, WindowsLogonChecker(),
                            WindowsSchedulerService());
        }
        return line.command == ConfigCommand::Status
                   ? RunStatus(channel, scheduler, created, WindowsSchedulerService())
                   : RunDelete(channel, scheduler, created);
    }
    default:
        break;
    }
    // A command that this version does not run yet is as unknown as any other.
    return BadCommandLine(channel, TextWith(IDS_CLI_UNKNOWN_SWITCH, commandName));
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& arguments, CommandChannel& channel) {
    CommandLineReading reading = ReadConfigCommandLine(arguments);
    if (!reading.commandLine) {
        return BadCommandLine(channel, FaultText(reading));
    }
    ConfigCommandLine& line = *reading.commandLine;
    const PasswordsWiped wiped{line};
    if (const auto missing =
            TakePasswordsFromInput(line, [&channel] { return channel.ReadSecretLine(); })) {
        return BadCommandLine(channel, TextWith(IDS_CLI_NO_INPUT_LINE, *missing));
    }
    return Run(line, arguments.front(), channel);
}
