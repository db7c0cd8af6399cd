#include "profile_choice.h"

#include <algorithm>
#include <cctype>

#include "command_messages.h"
#include "installed_client.h"
#include "resource.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace

std::optional<std::string> ChooseProfile(const ConfigCommandLine& line,
                                         const std::optional<std::string>& stored,
                                         const std::string& installFolder,
                                         CommandChannel& channel) {
    const std::string profile = line.profile.value_or(stored.value_or(""));
    if (profile.empty()) {
        channel.Error(CommandText(IDS_NO_PROFILE));
        return std::nullopt;
    }
    for (const std::string& name : ListVpnProfiles(installFolder)) {
        if (SameName(name, profile)) return name;
    }
    channel.Error(CommandTextWith(IDS_CLI_NO_SUCH_PROFILE, profile));
    return std::nullopt;
}
