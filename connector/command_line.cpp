#include "command_line.h"

#include <cstring>

namespace {

constexpr char kBlank = ' ';
constexpr char kQuote = '"';

struct ValueOption {
    char letter;
    std::string ConnectorOptions::*field;
};
// Tested in this order: -l, -i, -u, -p.
constexpr ValueOption kValueOptions[] = {
    {kLogFileOption, &ConnectorOptions::logFile},
    {kIgnoredOption, &ConnectorOptions::iValue},
    {kUserOption, &ConnectorOptions::user},
    {kPasswordOption, &ConnectorOptions::password},
};

}  // namespace

bool IsOption(const std::string& token, char letter) {
    auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return token.size() == 2 && token[0] == '-' && lower(token[1]) == letter;
}

bool IsConnectorOption(const std::string& token) {
    for (const ValueOption& option : kValueOptions) {
        if (IsOption(token, option.letter)) return true;
    }
    return false;
}

const char* CommandLineAfterProgramName(const char* commandLine) {
    auto code = [](char c) { return static_cast<unsigned char>(c); };
    const char* p = commandLine;
    if (*p == kQuote) {
        ++p;
        while (*p != '\0' && *p != kQuote) {
            ++p;
        }
        if (*p == kQuote) {
            ++p;
        }
    } else {
        while (code(*p) > 32) {
            ++p;
        }
    }
    while (*p != '\0' && code(*p) <= 32) {
        ++p;
    }
    return p;
}

std::vector<CommandLineToken> SplitCommandLineTokens(const std::string& text) {
    std::vector<CommandLineToken> tokens;
    const std::size_t length = text.size();
    std::size_t pos = 0;
    while (pos < length) {
        while (pos < length && text[pos] == kBlank) {
            ++pos;
        }
        if (pos == length) {
            break;
        }
        const std::size_t start = pos;
        const char terminator = text[pos] == kQuote ? kQuote : kBlank;
        if (terminator == kQuote) {
            ++pos;
        }
        const std::size_t begin = pos;
        while (pos < length && text[pos] != terminator) {
            ++pos;
        }
        std::string token = text.substr(begin, pos - begin);
        // The blank or closing quote that ended the token is consumed.
        if (pos < length) {
            ++pos;
        }
        tokens.push_back({std::move(token), start, pos});
    }
    return tokens;
}

std::vector<std::string> SplitCommandLine(const char* text) {
    std::vector<std::string> args{"Ferrolink.exe"};
    if (text == nullptr) {
        return args;
    }
    for (CommandLineToken& token : SplitCommandLineTokens(text)) {
        args.push_back(std::move(token.text));
    }
    return args;
}

int ParseOptions(const std::vector<std::string>& args, ConnectorOptions& options) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& token = args[i];
        const ValueOption* option = nullptr;
        for (const auto& candidate : kValueOptions) {
            if (IsOption(token, candidate.letter)) {
                option = &candidate;
                break;
            }
        }
        if (option != nullptr) {
            if (i + 1 >= args.size() || args[i + 1].rfind('/', 0) == 0) {
                return 1;
            }
            options.*(option->field) = args[++i];
            continue;
        }
        if (!options.profile.empty()) {
            return 1;
        }
        options.profile = token;
    }
    return 0;
}
