#include "convert_string.h"

#include <windows.h>

#include <climits>

namespace {

// Both directions: `convert` writes the terminated text into a buffer of `room` units and
// gives the units written, terminator included, or 0.
template <typename Char, typename Convert>
std::optional<BasicSecretString<Char>> Converted(std::size_t room, Convert convert) {
    if (room < 1 || room > INT_MAX) return std::nullopt;
    BasicSecretString<Char> text(room, Char());
    const int written = convert(text.data(), static_cast<int>(room));
    if (written <= 0) return std::nullopt;
    text.resize(static_cast<std::size_t>(written) - 1);
    return text;
}

}  // namespace

std::optional<SecretString> ToAnsi(const std::wstring& wide, std::size_t room) {
    return Converted<char>(room, [&wide](char* ansi, int size) {
        return WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi, size, nullptr, nullptr);
    });
}

std::optional<SecretWideString> ToWide(const std::string& ansi, std::size_t room) {
    return Converted<wchar_t>(room, [&ansi](wchar_t* wide, int size) {
        return MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, ansi.c_str(), -1, wide, size);
    });
}
