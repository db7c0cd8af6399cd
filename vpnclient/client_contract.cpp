#include "client_contract.h"

std::string WithTrailingBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') {
        return folder;
    }
    return folder + '\\';
}

namespace {

// Appends `value` in double quotes, its trailing backslashes doubled (see BuildConnectText).
void AppendQuoted(std::string& text, const std::string& value) {
    const auto lastOther = value.find_last_not_of('\\');
    const std::size_t trailing =
        lastOther == std::string::npos ? value.size() : value.size() - lastOther - 1;
    text += '"';
    text += value;
    text.append(trailing, '\\');
    text += '"';
}

}  // namespace

std::string BuildConnectText(const std::string& profile, const std::string& user,
                             const std::string& password) {
    // Built in one buffer of its final size: no temporary copy of the password is left behind
    // in freed memory, so wiping the result wipes the only copy made here. A value may grow by
    // its own length when it is all backslashes.
    std::string text;
    text.reserve(25 + 2 * (profile.size() + user.size() + password.size()));
    text += "connect ";
    AppendQuoted(text, profile);
    if (!user.empty()) {
        text += " user ";
        AppendQuoted(text, user);
    }
    if (!password.empty()) {
        text += " pwd ";
        AppendQuoted(text, password);
    }
    return text;
}
