#include "driver_output.h"

#include <cstdio>

void Print(const std::string& key, const std::string& value) {
    std::string out;
    for (const char c : value) {
        const auto unit = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (unit < 0x20 || unit >= 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", unit);
            out += hex;
        } else {
            out += c;
        }
    }
    std::printf("%s=%s\n", key.c_str(), out.c_str());
    std::fflush(stdout);
}

void Print(const std::string& key, long long value) { Print(key, std::to_string(value)); }

std::string Hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

std::string Narrow(const wchar_t* text, std::size_t length) {
    if (length == 0) return {};
    const int wideLength = static_cast<int>(length);
    const int size = WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, wideLength, narrow.data(), size, nullptr, nullptr);
    return narrow;
}
