#pragma once
#include <ctime>
#include <string>

// Builds a log line: the local time as 24 characters in the form "Thu Mar 05 18:07:03 2009"
// (English names, two-digit day with a leading zero, 24-hour clock), ": ", the message.
// The line has no line end.
std::string MakeLogLine(const std::string& message, const std::tm& localTime);

// The bytes that one message adds to the log file: the line and a carriage return and line
// feed, with every line feed inside the message written as a carriage return and line feed
// too, as a text-mode write does.
std::string MakeLogRecord(const std::string& logLine);
