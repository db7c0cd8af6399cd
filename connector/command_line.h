#pragma once
#include <cstddef>
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

// The part of a process command line that follows the program name and the white space
// (codes 1 to 32) after it. A program name that begins with a double quote runs to the next
// double quote, any other to the first character with a code of 32 or less. This is the
// text that the Windows C runtime's start-up hands to WinMain; mingw's start-up differs (it
// lets a quoted name run on to the next blank), so the connector computes it itself.
const char* CommandLineAfterProgramName(const char* commandLine);

// Splits the command-line text (the part after the program name) into an argument vector.
// Entry 0 is always "Ferrolink.exe"; the tokens follow in order, without their enclosing
// double quotes. A double quote is special only as a token's first character; a closing
// quote ends its token even without a following blank; blanks (code 32 only) separate
// tokens. Blanks at the end of the text yield no further token. The vector grows as needed:
// there is no limit on the number of tokens.
std::vector<std::string> SplitCommandLine(const char* text);

// One token of the command-line text, as SplitCommandLine reads it: its text without the
// enclosing double quotes, and where it stands in the text (from its first character, quote
// included, to just after the blank or closing quote that ended it, or to the text's end).
struct CommandLineToken {
    std::string text;
    std::size_t begin;
    std::size_t end;
};
std::vector<CommandLineToken> SplitCommandLineTokens(const std::string& text);

// The connector's options, each followed by its value: a dash and the letter, in either case.
inline constexpr char kLogFileOption = 'l';
inline constexpr char kIgnoredOption = 'i';  // accepted and never read
inline constexpr char kUserOption = 'u';
inline constexpr char kPasswordOption = 'p';

// Whether `token` is the option `letter`: a dash and that letter in either case.
bool IsOption(const std::string& token, char letter);
// Whether `token` is one of the connector's four options.
bool IsConnectorOption(const std::string& token);

// Fills `options` from the argument vector (entry 0 is skipped). Returns 0 when the whole
// command line is acceptable, 1 at the first token that is not; options read before the
// rejected token stay set.
int ParseOptions(const std::vector<std::string>& args, ConnectorOptions& options);
