#pragma once
#include <string>

// The connector's event source; its message table (id 0x40000000, "%1") is in the program.
inline constexpr const char* kEventSource = "Ferrolink";
inline constexpr unsigned long kEventId = 0x40000000;

// Appends the time-stamped message to the log file (when `logFile` is not empty) and reports
// it to the event log as an information event. Failures of either are ignored.
void ReportResult(const std::string& logFile, const std::string& message);

// Appenders take turns on one byte far past the end of any log, never on the records: a run
// that has waited long enough for a turn still writes its line, which a lock held over the
// records by a stalled run would refuse. Every run of every version must lock this byte.
inline constexpr unsigned long kAppendTurnOffsetHigh = 0x7FFFFFFF;
inline constexpr unsigned long kAppendTurnOffset = 0xFFFFFFFF;

// Appends one record to the log file. Runs that append at the same moment take turns through
// a lock on the file, so that no line is lost or spliced; a run that does not get its turn
// within about 2 seconds appends without it rather than drop the line or wait on. Returns
// false when the file cannot be opened or written.
bool AppendToLogFile(const std::string& logFile, const std::string& record);
