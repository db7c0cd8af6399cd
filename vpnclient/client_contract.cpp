#include "client_contract.h"

std::string WithTrailingBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') {
        return folder;
    }
    return folder + '\\';
}

std::string BuildConnectText(const std::string& profile, const std::string& user,
                             const std::string& password) {
    std::string text = "connect \"" + profile + "\"";
    if (!user.empty()) {
        text += " user \"" + user + "\"";
    }
    if (!password.empty()) {
        text += " pwd \"" + password + "\"";
    }
    return text;
}
