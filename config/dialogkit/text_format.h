#pragma once
// Filling a text from the string table with one text argument.
#include <cstddef>
#include <string>

// Replaces the first "%s" of `format` with `argument` and each "%%" with "%"; any other "%"
// stays as it is, so that a format from a resource library can never make the program read
// an argument it was not given. The result is cut to `limit` bytes (the room of the buffer
// the text is shown from, less its terminator).
std::string FormatWithText(const std::string& format, const std::string& argument,
                           std::size_t limit);
