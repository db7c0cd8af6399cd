#pragma once
// Decisions of the configuration program that need no Windows API.
#include <optional>
#include <string>
#include <vector>

// A profile's name from its ".pcf" file name: the name cut before its last ".".
std::string ProfileNameFromFileName(const std::string& fileName);

// The decimal integer at the start of `text`, read as "%d" reads it (leading white space and
// a sign allowed, reading stops at the first non-digit); nothing when there is none.
std::optional<int> LeadingInteger(const std::string& text);

// The last non-empty piece of an account name between backslashes: "DOMAIN\user" and
// "DOMAIN\user\" give "user", "user" gives "user", "\\\" gives "".
std::string LastAccountPiece(const std::string& account);

// The index of the first item that begins with `prefix`, ignoring case (the rule a combo box
// uses to select a string), or -1 when none does.
int FindItemByPrefix(const std::vector<std::string>& items, const std::string& prefix);
