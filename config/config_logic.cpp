#include "config_logic.h"

#include <climits>
#include <cstddef>

#include "resource.h"

namespace {

// The white space that "%d" skips in the "C" locale.
bool IsFormatSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The errors of a logon that this process is not allowed to try, as winerror.h numbers them.
constexpr unsigned long kErrorAccessDenied = 5;
constexpr unsigned long kErrorPrivilegeNotHeld = 1314;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Case folding of the letters A to Z only: the same answer on every host and code page.
char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string ProfileNameFromFileName(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    // A name without a dot is taken whole rather than turned into an empty profile name.
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

bool IsProfileFileName(const std::string& fileName) {
    static const std::string kExtension = ".pcf";
    if (fileName.size() < kExtension.size()) {
        return false;
    }
    const std::size_t start = fileName.size() - kExtension.size();
    for (std::size_t i = 0; i < kExtension.size(); ++i) {
        if (FoldCase(fileName[start + i]) != kExtension[i]) {
            return false;
        }
    }
    return true;
}

std::optional<int> LeadingInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsFormatSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || !IsDigit(text[i])) {
        return std::nullopt;
    }
    // Accumulated as a negative number, whose range is the larger one; a value beyond the
    // range of int is held at its limit, as strtol holds a long.
    long long value = 0;
    bool clamped = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (!clamped) {
            value = value * 10 - (text[i] - '0');
            if (value < static_cast<long long>(INT_MIN)) {
                clamped = true;
            }
        }
    }
    if (clamped) {
        return negative ? INT_MIN : INT_MAX;
    }
    if (negative) {
        return static_cast<int>(value);
    }
    return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}

std::string LastAccountPiece(const std::string& account) {
    const auto end = account.find_last_not_of('\\');
    if (end == std::string::npos) {
        return {};
    }
    const auto separator = account.rfind('\\', end);
    const auto begin = separator == std::string::npos ? 0 : separator + 1;
    return account.substr(begin, end + 1 - begin);
}

int FindItemByPrefix(const std::vector<std::string>& items, const std::string& prefix) {
    for (std::size_t index = 0; index < items.size(); ++index) {
        const std::string& item = items[index];
        if (item.size() < prefix.size()) {
            continue;
        }
        bool matches = true;
        for (std::size_t i = 0; i < prefix.size() && matches; ++i) {
            matches = FoldCase(item[i]) == FoldCase(prefix[i]);
        }
        if (matches) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

std::optional<unsigned> RefusedValuesWarning(const std::string& profile, const std::string& user,
                                             const std::string& password) {
    const auto hasQuote = [](const std::string& text) { return text.find('"') != std::string::npos; };
    const auto leadingSlash = [](const std::string& text) { return text.rfind('/', 0) == 0; };
    if (hasQuote(user) || hasQuote(password)) {
        return IDS_QUOTE_IN_CREDENTIALS;
    }
    if (leadingSlash(user) || leadingSlash(password)) {
        return IDS_SLASH_IN_CREDENTIALS;
    }
    if (profile.size() == 2 && profile[0] == '-' &&
        std::string("liup").find(FoldCase(profile[1])) != std::string::npos) {
        return IDS_OPTION_PROFILE;
    }
    return std::nullopt;
}

std::string BuildTaskParameters(const std::string& profile, const std::string& user,
                                const std::string& password) {
    // Built in one buffer of its final size, so that wiping the result wipes the only copy of
    // the password: no temporary that held it is left behind.
    std::string parameters;
    parameters.reserve(profile.size() + user.size() + password.size() + 16);
    parameters.append("\"").append(profile).append("\"");
    if (!user.empty()) {
        parameters.append(" -u \"").append(user).append("\"");
    }
    if (!password.empty()) {
        parameters.append(" -p \"").append(password).append("\"");
    }
    return parameters;
}

std::optional<std::string> BuildConnectorPath(const std::optional<std::string>& installFolder,
                                              std::size_t limit) {
    std::string path;
    if (installFolder) {
        path = *installFolder;
        if (path.empty() || path.back() != '\\') {
            path += '\\';
        }
    }
    path += kConnectorProgram;
    if (path.size() > limit) {
        return std::nullopt;
    }
    return path;
}

LogonOutcome LogonOutcomeOfError(unsigned long error) {
    return error == kErrorAccessDenied || error == kErrorPrivilegeNotHeld
               ? LogonOutcome::NotAllowedToTest
               : LogonOutcome::Rejected;
}
