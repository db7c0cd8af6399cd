#pragma once
#include <string>

// The connector's event source; its message table (id 0x40000000, "%1") is in the program.
inline constexpr const char* kEventSource = "Ferrolink";
inline constexpr unsigned long kEventId = 0x40000000;

// Appends the time-stamped message to the log file (when `logFile` is not empty) and reports
// it to the event log as an information event. Failures of either are ignored.
void ReportResult(const std::string& logFile, const std::string& message);

// Appends one record to the log file. Runs that append at the same moment are serialised by a
// lock on the file, so that no line is lost or spliced. Returns false when the file cannot
// be opened or written.
bool AppendToLogFile(const std::string& logFile, const std::string& record);
