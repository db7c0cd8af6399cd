#include "parsed_values.h"

#include <climits>
#include <cstddef>

namespace {

// The white space that "%d" skips in the "C" locale.
bool IsFormatSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

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
