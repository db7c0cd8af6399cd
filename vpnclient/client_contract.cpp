#include "client_contract.h"

std::string WithTrailingBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') {
        return folder;
    }
    return folder + '\\';
}

std::string BuildConnectText(const std::string& profile, const std::string& user,
                             const std::string& password) {
    // Built in one buffer of its final size: no temporary copy of the password is left behind
    // in freed memory, so wiping the result wipes the only copy made here.
    std::string text;
    text.reserve(10 + profile.size() + 8 + user.size() + 7 + password.size());
    text += "connect \"";
    text += profile;
    text += '"';
    if (!user.empty()) {
        text += " user \"";
        text += user;
        text += '"';
    }
    if (!password.empty()) {
        text += " pwd \"";
        text += password;
        text += '"';
    }
    return text;
}
