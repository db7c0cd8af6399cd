// Feeds arbitrary text to the command-line splitter and parser; any crash, leak or sanitizer
// report is a fault. Also checks the splitter's own invariants.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "command_line.h"

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
    return 0;
}
