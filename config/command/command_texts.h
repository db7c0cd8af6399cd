#pragma once
// The command line's texts: entries of the string table as lines.
#include <windows.h>

#include <string>

// String `id` of the resource module and a line end.
std::string CommandText(unsigned id);
// String `id` with `value` in place of its "%s", and a line end.
std::string CommandTextWith(unsigned id, const std::string& value);
// An HRESULT as the Task Scheduler's documentation writes it: "0x80070005".
std::string HresultText(HRESULT hr);
