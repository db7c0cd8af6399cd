#pragma once
#include <string>
#include <vector>

// The connector's parsed command line: one record for the whole run. Every field is empty
// unless the command line sets it.
struct ConnectorOptions {
    std::string profile;   // the positional argument
    std::string user;      // -u
    std::string password;  // -p
    std::string logFile;   // -l; empty means no log file
    std::string iValue;    // -i; accepted and never read
};

// Splits the command-line text (the part after the program name) into an argument vector.
// Entry 0 is always "Ferrolink.exe"; the tokens follow in order, without their enclosing
// double quotes. A double quote is special only as a token's first character; a closing
// quote ends its token even without a following blank; blanks (code 32 only) separate
// tokens. Blanks at the end of the text yield no further token. The vector grows as needed:
// there is no limit on the number of tokens.
std::vector<std::string> SplitCommandLine(const char* text);

// Fills `options` from the argument vector (entry 0 is skipped). Returns 0 when the whole
// command line is acceptable, 1 at the first token that is not; options read before the
// rejected token stay set.
int ParseOptions(const std::vector<std::string>& args, ConnectorOptions& options);
