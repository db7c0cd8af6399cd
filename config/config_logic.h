#pragma once
// Decisions of the configuration program that need no Windows API.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "logon_check.h"

// A profile's name from its ".pcf" file name: the name cut before its last ".". A name
// without a dot is taken whole.
std::string ProfileNameFromFileName(const std::string& fileName);

// True when `fileName` ends in ".pcf", in any case: the name of a profile file.
bool IsProfileFileName(const std::string& fileName);

// The decimal integer at the start of `text`, read as "%d" reads it (leading white space and
// a sign allowed, reading stops at the first non-digit); nothing when there is none. A number
// beyond the range of int gives INT_MAX or INT_MIN, as strtol limits its result.
std::optional<int> LeadingInteger(const std::string& text);

// The last non-empty piece of an account name between backslashes: "DOMAIN\user" and
// "DOMAIN\user\" give "user", "user" gives "user", "\\\" gives "".
std::string LastAccountPiece(const std::string& account);

// The index of the first item that begins with `prefix`, ignoring the case of the letters A
// to Z (the rule a combo box uses to select a string), or -1 when none does. An empty prefix
// matches the first item.
int FindItemByPrefix(const std::vector<std::string>& items, const std::string& prefix);

// Why the connector could not take this profile, user name and password from the work item's
// parameters: the string id of the warning that refuses them, or nothing when it can take
// them. Checked in this order:
//  - a double quote in the user name or password (IDS_QUOTE_IN_CREDENTIALS): each value
//    stands between double quotes without escaping, so it would end its token early and the
//    rest would be read as further options;
//  - a user name or password that begins with "/" (IDS_SLASH_IN_CREDENTIALS): the connector
//    refuses such an option value, and every run would end with an error;
//  - a profile named like one of the connector's options, -l, -i, -u or -p in any case
//    (IDS_OPTION_PROFILE): the connector would read it as that option.
std::optional<unsigned> RefusedValuesWarning(const std::string& profile, const std::string& user,
                                             const std::string& password);

// The work item's parameters for the connector: the profile name in double quotes, then
// -u "user" when the user name is not empty, then -p "password" when the password is not
// empty. Values are put in as they are.
std::string BuildTaskParameters(const std::string& profile, const std::string& user,
                                const std::string& password);

// The connector's file name, "Ferrolink.exe".
inline constexpr const char* kConnectorProgram = "Ferrolink.exe";

// The work item's application name: the connector's folder (the settings key's
// "InstallPath"), a backslash unless the folder already ends in one (an empty folder does
// not), and "Ferrolink.exe"; the bare file name when the folder is unknown. Nothing when the
// name would be longer than `limit` characters: it is never cut short.
std::optional<std::string> BuildConnectorPath(const std::optional<std::string>& installFolder,
                                              std::size_t limit);

// The outcome of a batch logon that Windows refused with `error` (its GetLastError):
// ERROR_ACCESS_DENIED (5) and ERROR_PRIVILEGE_NOT_HELD (1314) say that this process may not
// make the test, so the pair counts as valid; every other code means the pair was refused.
LogonOutcome LogonOutcomeOfError(unsigned long error);
