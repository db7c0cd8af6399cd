#include "command_line_options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "task_parameters.h"

namespace {

struct CommandName {
    const char* name;
    ConfigCommand command;
};
constexpr CommandName kCommands[] = {
    {"/apply", ConfigCommand::Apply},   {"/test", ConfigCommand::Test},
    {"/delete", ConfigCommand::Delete}, {"/status", ConfigCommand::Status},
    {"/?", ConfigCommand::Help},
};

enum class SwitchKind { Text, MayBeEmpty, Digits, Timeout };

// The commands that take a switch, as bits.
enum CommandBits : unsigned { kForApply = 1, kForTest = 2 };

unsigned BitOf(ConfigCommand command) {
    switch (command) {
    case ConfigCommand::Apply: return kForApply;
    case ConfigCommand::Test: return kForTest;
    default: return 0;
    }
}

// Puts a checked value into the member `Member` of the command line (taken, not copied, so
// that a password has one copy).
template <auto Member>
void Fill(ConfigCommandLine& line, std::string& value) {
    (line.*Member).emplace().swap(value);
}

void FillTimeout(ConfigCommandLine& line, std::string& value) {
    line.timeoutSeconds = std::atoi(value.c_str());
}

// One row a switch: its name, the values it takes, where it puts its value, and the commands
// that take it.
struct SwitchRule {
    const char* name;
    SwitchKind kind;
    void (*fill)(ConfigCommandLine&, std::string&);
    unsigned commands;
};
constexpr SwitchRule kSwitches[] = {
    {"/profile", SwitchKind::Text, Fill<&ConfigCommandLine::profile>, kForApply | kForTest},
    {"/user", SwitchKind::MayBeEmpty, Fill<&ConfigCommandLine::user>, kForApply | kForTest},
    {"/password", SwitchKind::MayBeEmpty, Fill<&ConfigCommandLine::password>, kForApply | kForTest},
    {"/interval", SwitchKind::Digits, Fill<&ConfigCommandLine::intervalText>, kForApply},
    {"/account", SwitchKind::Text, Fill<&ConfigCommandLine::account>, kForApply},
    {"/accountpassword", SwitchKind::MayBeEmpty, Fill<&ConfigCommandLine::accountPassword>,
     kForApply},
    {"/timeout", SwitchKind::Timeout, FillTimeout, kForTest},
};

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isdigit(c) != 0;
    });
}

// The byte-order marks of UTF-8, UTF-16 (either order) and so of UTF-32 little-endian.
bool StartsWithByteOrderMark(const std::string& line) {
    for (const char* mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
        if (line.rfind(mark, 0) == 0) return true;
    }
    return false;
}

// The name of a faulty switch as error lines give it: the letters before ":" or "=", never
// what follows, which may be a password ("/password=Secret1" for "/password:Secret1").
CommandLineReading Fault(CommandLineFault fault, const std::string& argument) {
    CommandLineReading reading;
    reading.fault = fault;
    reading.switchName = argument.substr(0, argument.find_first_of(":="));
    return reading;
}

}  // namespace

CommandLineReading ReadConfigCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return Fault(CommandLineFault::UnknownSwitch, "");
    }
    ConfigCommandLine line;
    const std::string commandText = Lowered(arguments.front());
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [&](const CommandName& c) { return commandText == c.name; });
    if (command == std::end(kCommands)) {
        if (arguments.front().empty() || arguments.front()[0] != '/') {
            return Fault(CommandLineFault::NotASwitch, "");
        }
        return Fault(CommandLineFault::UnknownSwitch, arguments.front());
    }
    line.command = command->command;

    std::vector<std::string> seen;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.empty() || argument[0] != '/') {
            return Fault(CommandLineFault::NotASwitch, "");
        }
        const std::size_t colon = argument.find(':');
        const std::string givenName = argument.substr(0, colon);
        const std::string name = Lowered(givenName);
        const auto rule = std::find_if(std::begin(kSwitches), std::end(kSwitches),
                                       [&](const SwitchRule& r) { return name == r.name; });
        const bool allowed =
            rule != std::end(kSwitches) && (rule->commands & BitOf(line.command)) != 0;
        if (!allowed) {
            return Fault(CommandLineFault::UnknownSwitch, givenName);
        }
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
            return Fault(CommandLineFault::SwitchTwice, givenName);
        }
        seen.push_back(name);
        if (colon == std::string::npos) {
            return Fault(CommandLineFault::MissingValue, givenName);
        }
        SecretString value = argument.substr(colon + 1);
        if (value.empty() && rule->kind != SwitchKind::MayBeEmpty) {
            return Fault(CommandLineFault::MissingValue, givenName);
        }
        if (rule->kind == SwitchKind::Digits && !AllDigits(value)) {
            return Fault(CommandLineFault::BadNumber, givenName);
        }
        if (rule->kind == SwitchKind::Timeout) {
            // Digits only, and at most six of them, so that the number cannot overflow.
            if (!AllDigits(value) || value.size() > 6 ||
                std::atoi(value.c_str()) < kMinTimeoutSeconds ||
                std::atoi(value.c_str()) > kMaxTimeoutSeconds) {
                return Fault(CommandLineFault::BadNumber, givenName);
            }
        }
        rule->fill(line, value);
    }
    CommandLineReading reading;
    reading.commandLine = std::move(line);
    return reading;
}

std::optional<InputFault> TakePasswordsFromInput(
    ConfigCommandLine& commandLine, const std::function<std::optional<std::string>()>& readLine) {
    const std::pair<std::optional<SecretString>*, const char*> passwords[] = {
        {&commandLine.password, "/password"},
        {&commandLine.accountPassword, "/accountpassword"},
    };
    for (const auto& [password, name] : passwords) {
        if (*password == kFromStandardInput) {
            std::optional<std::string> line = readLine();
            if (!line) {
                return InputFault{name, true};
            }
            const bool plain = !StartsWithByteOrderMark(*line) && !HasControlCharacter(*line);
            // Swapped, not copied: the caller wipes the command line's passwords.
            password->value().swap(*line);
            if (!plain) {
                return InputFault{name, false};
            }
        }
    }
    return std::nullopt;
}
