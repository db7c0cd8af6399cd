#pragma once
// Text between the system's ANSI code page and UTF-16, the form the Task Scheduler takes. The
// source is read up to its first NUL. Nothing when the text cannot be converted or would not
// fit, with its terminator, in `room` (bytes for ANSI, UTF-16 code units for UTF-16): a text
// is never cut short. Either text may be a password, so each converted copy, its buffer while
// it is made included, wipes itself.
#include <cstddef>
#include <optional>
#include <string>

#include "secret_string.h"

std::optional<SecretString> ToAnsi(const std::wstring& wide, std::size_t room);
std::optional<SecretWideString> ToWide(const std::string& ansi, std::size_t room);
