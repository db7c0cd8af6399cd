#pragma once
// What the driver prints: one "key=value" line per observation, read by winelab.DriverOutput.
// Values escape a backslash, CR, LF and every byte outside printable ASCII (\\, \r, \n, \xNN),
// so the caller sees the exact bytes of the system code page ("acp=" names it).
#include <windows.h>

#include <string>

// Prints "key=value" with the value escaped, and flushes at once: a caller reads what was seen
// before a step that hangs or fails.
void Print(const std::string& key, const std::string& value);
void Print(const std::string& key, long long value);

// An HRESULT or a style as "0xXXXXXXXX".
std::string Hex(unsigned long value);

// UTF-16 text in the system code page.
std::string Narrow(const wchar_t* text, std::size_t length);
