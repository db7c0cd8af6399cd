#pragma once
// The configuration program's command line: which command it runs and with which switches.
// Read from the arguments as the C runtime splits them (so /profile:"Head Office" arrives as
// one argument); switch names in any case. Needs no Windows API.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "secret_string.h"

// The commands; each is the first argument.
enum class ConfigCommand { Apply, Test, Delete, Status, Help };

// The program's exit codes on the command line; the ones of /status are its own (StatusLevel).
enum ConfigExitCode : int {
    kExitDone = 0,
    kExitBadCommandLine = 10,
    kExitClientNotFound = 11,
    kExitNoProfile = 12,
    kExitValueRefused = 13,
    kExitAccountRefused = 14,
    kExitSchedulerFailed = 15,
    kExitSchedulerNotRunning = 16,
    kExitTestFailed = 17,
    kExitTestTimedOut = 18,
    kExitSettingsNotSaved = 19,
    kExitTunnelAlreadyUp = 20,
    kExitApplyBusy = 21,
};

// A value given as this text is read as one line from standard input instead.
inline constexpr const char* kFromStandardInput = "-";

// The shortest and longest time /test waits for the VPN client, and its default, in seconds.
inline constexpr int kMinTimeoutSeconds = 1;
inline constexpr int kMaxTimeoutSeconds = 86400;
inline constexpr int kDefaultTimeoutSeconds = 300;

// A command line that was read. A value switch that was not given has no value.
struct ConfigCommandLine {
    ConfigCommand command = ConfigCommand::Help;
    std::optional<std::string> profile;          // /profile:NAME
    std::optional<std::string> user;             // /user:NAME
    std::optional<SecretString> password;        // /password:TEXT or -
    std::optional<std::string> intervalText;     // /interval:MINUTES, digits only
    std::optional<std::string> account;          // /account:NAME
    std::optional<SecretString> accountPassword; // /accountpassword:TEXT or -
    std::optional<int> timeoutSeconds;           // /timeout:SECONDS
};

// What makes a command line bad.
enum class CommandLineFault {
    None,
    UnknownSwitch,  // not a switch of this command (a first argument that is no command, a
                    // command after the first argument)
    SwitchTwice,    // the same switch given twice, in whatever case
    MissingValue,   // a value switch without ":" and a value (/user:, /password: and
                    // /accountpassword: may be empty; the others may not)
    BadNumber,      // /interval not digits, /timeout not a whole number of seconds in range
    NotASwitch,     // an argument that does not begin with "/"
};

struct CommandLineReading {
    std::optional<ConfigCommandLine> commandLine;  // set when the fault is None
    CommandLineFault fault = CommandLineFault::None;
    // The faulty switch's name as given, without its value (never a password); empty for
    // NotASwitch, whose text may be a password typed with a blank before it.
    std::string switchName;
};

// Reads the arguments after the program name. An empty list is not a command line (the
// program then shows its dialog) and reads as UnknownSwitch with an empty name.
CommandLineReading ReadConfigCommandLine(const std::vector<std::string>& arguments);

// A password that standard input could not give: the switch it was for ("/password" or
// "/accountpassword"), and whether there was no line at all or the line was not plain text in
// the system code page (a byte-order mark at its start, as an editor or PowerShell writes into
// UTF-8 and UTF-16 files, or a NUL or another control character): such a line is never taken.
struct InputFault {
    std::string switchName;
    bool noLine;
};

// Puts in place of each password given as "-" the next line that `readLine` gives, the
// profile password first, then the account password. Gives the first fault, or nothing.
std::optional<InputFault> TakePasswordsFromInput(
    ConfigCommandLine& commandLine, const std::function<std::optional<std::string>()>& readLine);
