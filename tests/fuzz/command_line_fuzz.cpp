// Feeds arbitrary text to the command-line splitter and parser; any crash, leak or sanitizer
// report is a fault. Also checks the splitter's own invariants, and that the work item's
// parameters give the connector back exactly the profile, user name and password they were
// built from, whenever the configuration program lets those values through (the text read as
// three values separated by line ends, which no value that is let through holds).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "command_line.h"
#include "task_parameters.h"

namespace {

void CheckRoundTrip(const std::string& text) {
    const std::size_t first = text.find('\n');
    const std::size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
    if (second == std::string::npos) return;
    const std::string profile = text.substr(0, first);
    const std::string user = text.substr(first + 1, second - first - 1);
    const std::string password = text.substr(second + 1);
    if (RefusedValuesWarning(profile, user, password)) return;
    ConnectorOptions options;
    const std::string parameters = BuildTaskParameters(profile, user, password);
    if (ParseOptions(SplitCommandLine(parameters.c_str()), options) != 0 ||
        options.profile != profile || options.user != user || options.password != password) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto args = SplitCommandLine(text.c_str());
    if (args.empty() || args[0] != "Ferrolink.exe") std::abort();
    std::size_t tokenBytes = 0;
    for (std::size_t i = 1; i < args.size(); ++i) tokenBytes += args[i].size();
    // Tokens are pieces of the text: never more bytes than it holds.
    if (tokenBytes > text.size()) std::abort();
    ConnectorOptions options;
    const int result = ParseOptions(args, options);
    if (result != 0 && result != 1) std::abort();
    CheckRoundTrip(text);
    return 0;
}
