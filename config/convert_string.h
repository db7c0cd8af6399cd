#pragma once
// Text between the system's ANSI code page and UTF-16, the form the Task Scheduler takes. The
// source is read up to its first NUL. Nothing when the text cannot be converted or would not
// fit, with its terminator, in `room` (bytes for ANSI, UTF-16 code units for UTF-16): a text
// is never cut short.
#include <cstddef>
#include <optional>
#include <string>

std::optional<std::string> ToAnsi(const std::wstring& wide, std::size_t room);
std::optional<std::wstring> ToWide(const std::string& ansi, std::size_t room);
