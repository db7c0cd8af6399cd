#include "command_messages.h"

#include <cstdio>

#include "resource_module.h"
#include "text_format.h"

namespace {
// The longest line a value is put into.
constexpr std::size_t kLineLimit = 2048;
}  // namespace

std::string CommandText(unsigned id) { return LoadResourceString(id); }

std::string CommandTextWith(unsigned id, const std::string& value) {
    return FormatWithText(LoadResourceString(id), value, kLineLimit);
}

std::string HresultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}
