#pragma once
// The command line's texts: entries of the string table, as they stand or with a value put in.
#include <windows.h>

#include <string>

// String `id` of the resource module.
std::string CommandText(unsigned id);
// String `id` with `value` in place of its "%s", cut to the longest line a value is put into.
std::string CommandTextWith(unsigned id, const std::string& value);
// An HRESULT as the Task Scheduler's documentation writes it: "0x80070005".
std::string HresultText(HRESULT hr);
