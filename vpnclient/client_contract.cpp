#include "client_contract.h"

namespace {

// Case folding of the letters A to Z only: the same answer on every host and code page.
char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

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
