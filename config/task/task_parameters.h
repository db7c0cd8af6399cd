#pragma once
// The texts that the work item "Ferrolink" carries, and what of them the connector could not
// take. Needs no Windows API.
#include <cstddef>
#include <optional>
#include <string>

// Why the connector could not take this profile, user name and password from the work item's
// parameters: the string id of the warning that refuses them, or nothing when it can take
// them. Checked in this order:
//  - a double quote in the user name or password (IDS_QUOTE_IN_CREDENTIALS): each value
//    stands between double quotes without escaping, so it would end its token early and the
//    rest would be read as further options;
//  - a user name or password that begins with "/" (IDS_SLASH_IN_CREDENTIALS): the connector
//    refuses such an option value, and every run would end with an error;
//  - a profile named like one of the connector's options (IDS_OPTION_PROFILE): the connector
//    would read it as that option;
//  - a profile name with a double quote (IDS_QUOTE_IN_PROFILE), which would end its token
//    early as in a user name; no file name holds one, but a command line might;
//  - a value longer than kLongestValue (IDS_VALUE_TOO_LONG): the settings store could not read
//    it back whole;
//  - a control character in a value, bytes 1 to 31 and 127, or a NUL (IDS_CONTROL_IN_VALUE):
//    the connector's command line and the work item cannot carry them as they are;
//  - a percent sign in a value (IDS_PERCENT_IN_VALUE): the Task Scheduler 1.0 documentation does
//    not say that a work item's parameters reach the program unexpanded, and Windows expands
//    %NAME% in the command lines it runs for others, which would change the value on its way;
//  - an empty user name or password (IDS_EMPTY_CREDENTIALS_REFUSED): the connector refuses a
//    command line without -u or -p, so every run of the task would end with an error.
std::optional<unsigned> RefusedValuesWarning(const std::string& profile, const std::string& user,
                                             const std::string& password);

// Whether a text holds a byte that the work item's command line cannot carry as it is: 1 to 31,
// 127, or a NUL.
bool HasControlCharacter(const std::string& text);

// The longest text that the settings store keeps and reads back whole (its room, 400 bytes,
// holds the terminator too).
inline constexpr std::size_t kLongestValue = 399;


// The work item's parameters for the connector: the profile name in double quotes, then the
// user option (-u "user") when the user name is not empty, then the password option
// (-p "password") when the password is not empty. Values are put in as they are: the connector
// reads back exactly the values that RefusedValuesWarning lets through.
std::string BuildTaskParameters(const std::string& profile, const std::string& user,
                                const std::string& password);

// The work item's parameters with what follows the connector's option -p (in any case, as a
// word of its own) shown as "***": the password is never shown, and neither is anything after
// it that could be part of it.
std::string MaskedParameters(const std::string& parameters);


// The connector's file name, "Ferrolink.exe".
inline constexpr const char* kConnectorProgram = "Ferrolink.exe";

// The work item's application name: the connector's folder (the settings key's
// "InstallPath"), a backslash unless the folder already ends in one (an empty folder does
// not), and "Ferrolink.exe"; the bare file name when the folder is unknown. Nothing when the
// name would be longer than `limit` characters: it is never cut short.
std::optional<std::string> BuildConnectorPath(const std::optional<std::string>& installFolder,
                                              std::size_t limit);
