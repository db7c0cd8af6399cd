#include "text_format.h"

std::string FormatWithText(const std::string& format, const std::string& argument,
                           std::size_t limit) {
    std::string result;
    bool argumentUsed = false;
    for (std::size_t i = 0; i < format.size() && result.size() < limit; ++i) {
        const char next = i + 1 < format.size() ? format[i + 1] : '\0';
        if (format[i] == '%' && next == '%') {
            result += '%';
            ++i;
        } else if (format[i] == '%' && next == 's' && !argumentUsed) {
            result += argument;
            argumentUsed = true;
            ++i;
        } else {
            result += format[i];
        }
    }
    if (result.size() > limit) {
        result.resize(limit);
    }
    return result;
}
