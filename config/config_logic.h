#pragma once
// Decisions of the configuration program that need no Windows API.
#include <optional>
#include <string>
#include <vector>

// A profile's name from its ".pcf" file name: the name cut before its last ".". A name
// without a dot is taken whole.
std::string ProfileNameFromFileName(const std::string& fileName);

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

// Whether `text` holds a double quote. The VPN client's command line puts the profile user
// name and password in double quotes unescaped, so a quote inside would end the value early.
bool HasDoubleQuote(const std::string& text);
