#include "task_parameters.h"

#include <algorithm>
#include <iterator>

#include "client_contract.h"
#include "command_line.h"
#include "resource.h"

std::optional<unsigned> RefusedValuesWarning(const std::string& profile, const std::string& user,
                                             const std::string& password) {
    const auto hasQuote = [](const std::string& text) {
        return text.find('"') != std::string::npos;
    };
    const auto leadingSlash = [](const std::string& text) { return text.rfind('/', 0) == 0; };
    if (hasQuote(user) || hasQuote(password)) {
        return IDS_QUOTE_IN_CREDENTIALS;
    }
    if (leadingSlash(user) || leadingSlash(password)) {
        return IDS_SLASH_IN_CREDENTIALS;
    }
    if (IsConnectorOption(profile)) {
        return IDS_OPTION_PROFILE;
    }
    if (hasQuote(profile)) {
        return IDS_QUOTE_IN_PROFILE;
    }
    const std::string* const values[] = {&profile, &user, &password};
    const auto any = [&values](auto rule) {
        return std::any_of(std::begin(values), std::end(values),
                           [&rule](const std::string* v) { return rule(*v); });
    };
    if (any([](const std::string& v) { return v.size() > kLongestValue; })) {
        return IDS_VALUE_TOO_LONG;
    }
    if (any(HasControlCharacter)) {
        return IDS_CONTROL_IN_VALUE;
    }
    if (any([](const std::string& v) { return v.find('%') != std::string::npos; })) {
        return IDS_PERCENT_IN_VALUE;
    }
    if (user.empty() || password.empty()) {
        return IDS_EMPTY_CREDENTIALS_REFUSED;
    }
    return std::nullopt;
}

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return (c >= 0 && c < 32) || c == 127; });
}

std::string BuildTaskParameters(const std::string& profile, const std::string& user,
                                const std::string& password) {
    // Built in one buffer of its final size, so that wiping the result wipes the only copy of
    // the password: no temporary that held it is left behind.
    std::string parameters;
    parameters.reserve(profile.size() + user.size() + password.size() + 16);
    parameters.append("\"").append(profile).append("\"");
    if (!user.empty()) {
        parameters.append(" -").append(1, kUserOption).append(" \"").append(user).append("\"");
    }
    if (!password.empty()) {
        parameters.append(" -")
            .append(1, kPasswordOption)
            .append(" \"")
            .append(password)
            .append("\"");
    }
    return parameters;
}

std::string MaskedParameters(const std::string& parameters) {
    // Read as the connector reads its command line: whatever follows its first -p token (the
    // password and anything after it that could be part of it) is not shown.
    for (const CommandLineToken& token : SplitCommandLineTokens(parameters)) {
        if (IsOption(token.text, kPasswordOption)) {
            return parameters.substr(0, token.end) +
                   (token.end < parameters.size() ? "***" : " ***");
        }
    }
    return parameters;
}

std::optional<std::string> BuildConnectorPath(const std::optional<std::string>& installFolder,
                                              std::size_t limit) {
    std::string path = installFolder ? WithTrailingBackslash(*installFolder) : std::string();
    path += kConnectorProgram;
    if (path.size() > limit) {
        return std::nullopt;
    }
    return path;
}
