#pragma once
// Values read out of texts: the number at the start of an interval item, the last piece of an
// account's name. Needs no Windows API.
#include <optional>
#include <string>

// The decimal integer at the start of `text`, read as "%d" reads it (leading white space and
// a sign allowed, reading stops at the first non-digit); nothing when there is none. A number
// beyond the range of int gives INT_MAX or INT_MIN, as strtol limits its result.
std::optional<int> LeadingInteger(const std::string& text);


// The last non-empty piece of an account name between backslashes: "DOMAIN\user" and
// "DOMAIN\user\" give "user", "user" gives "user", "\\\" gives "".
std::string LastAccountPiece(const std::string& account);
