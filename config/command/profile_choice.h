#pragma once
// The profile that /apply and /test work with.
#include <optional>
#include <string>

#include "command_channel.h"
#include "command_line_options.h"

// The profile a command applies or tests: the one given, else the stored one, as the client's
// folder `installFolder` spells it (names compared in any case). Nothing, with the message on
// standard error, when neither names one (104) or the client has no such profile.
std::optional<std::string> ChooseProfile(const ConfigCommandLine& line,
                                         const std::optional<std::string>& stored,
                                         const std::string& installFolder, CommandChannel& channel);
