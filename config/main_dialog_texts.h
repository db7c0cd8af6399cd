#pragma once
// What the main dialog reads from the machine and from its own controls, as text: profile
// names from the client's file names, the number of an interval item, the account's name.
// Needs no Windows API.
#include <optional>
#include <string>

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
