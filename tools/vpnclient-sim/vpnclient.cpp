// A stand-in for the VPN client's command-line program, for tests and the demo on machines
// where the real client cannot be installed. It honours what the system relies on:
//   stat                                   ends with 202 (SUCCESS_STAT)
//   connect "<profile>" [user "<u>"] [pwd "<p>"]
//       profiles\<profile>.pcf missing     ends with 10 (ERR_NO_PROFILE)
//       credentials differ from the .pcf   ends with 14 (ERR_START_FAILED)
//       otherwise                          sets TunnelEstablished to 1, ends with 200
//   disconnect                             sets TunnelEstablished to 0, ends with 201
//   anything else                          ends with 3 (ERR_BAD_COMMAND)
// A profile file may name the expected credentials in lines "Username=..." and
// "Password=..."; without them any credentials are accepted.
//
// Scripting: "simulator.ini" beside the program holds lines "<command> key=value ...":
//   exit=<n>          end with this code instead (decimal or 0x...; 0xFFFFFFFF is allowed)
//   delay=<ms>        wait this long first
//   tunnel=up|down|keep   what happens to TunnelEstablished (instead of the default)
// The first line whose command matches applies. The arguments are read by the Windows C
// runtime's rules, as the real client reads them. Every run appends one line to
// "journal.txt" beside the program: "show=<n> params=<parameters as received>", where n is
// the show state it was started with, or "default" when none was given.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "command_line.h"

namespace {

const char* const kClientKey = "Software\\Cisco Systems\\VPN Client";

struct Outcome {
    std::optional<DWORD> exitCode;
    DWORD delayMs = 0;
    std::string tunnel = "default";
};

std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string ParametersAsReceived() { return CommandLineAfterProgramName(GetCommandLineA()); }

void AppendLine(const std::string& path, const std::string& line) {
    // Several runs may write at once: a named mutex keeps each line whole.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "FerrolinkVpnClientSimulatorJournal");
    if (mutex != nullptr) WaitForSingleObject(mutex, 10000);
    std::ofstream(path, std::ios::app | std::ios::binary) << line << "\r\n";
    if (mutex != nullptr) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
}

Outcome ScriptedOutcome(const std::string& folder, const std::string& command) {
    Outcome outcome;
    std::ifstream script(folder + "simulator.ini");
    std::string line;
    while (std::getline(script, line)) {
        std::istringstream fields(line);
        std::string name;
        if (!(fields >> name) || name != command) continue;
        std::string field;
        while (fields >> field) {
            const auto eq = field.find('=');
            const std::string key = field.substr(0, eq);
            const std::string value = eq == std::string::npos ? "" : field.substr(eq + 1);
            if (key == "exit")
                outcome.exitCode = static_cast<DWORD>(std::strtoull(value.c_str(), nullptr, 0));
            if (key == "delay")
                outcome.delayMs = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 0));
            if (key == "tunnel") outcome.tunnel = value;
        }
        break;
    }
    return outcome;
}

void SetTunnel(DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kClientKey, &key) == ERROR_SUCCESS) {
        RegSetValueExA(key, "TunnelEstablished", 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }
}

std::optional<std::string> ProfileSetting(const std::string& profileFile, const std::string& name) {
    std::ifstream file(profileFile);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(name + "=", 0) == 0) return line.substr(name.size() + 1);
    }
    return std::nullopt;
}

// The client's own behaviour: exit code and what it does to the tunnel flag.
DWORD Execute(const std::string& folder, const std::vector<std::string>& tokens,
              std::string& tunnel) {
    const std::string command = tokens.empty() ? "" : tokens[0];
    if (command == "stat") return 202;
    if (command == "disconnect") {
        tunnel = "down";
        return 201;
    }
    if (command != "connect") return 3;
    if (tokens.size() < 2 || tokens.size() % 2 != 0) return 5;
    std::string user, password;
    for (std::size_t i = 2; i + 1 < tokens.size(); i += 2) {
        if (tokens[i] == "user") user = tokens[i + 1];
        else if (tokens[i] == "pwd") password = tokens[i + 1];
        else return 5;
    }
    const std::string profileFile = folder + "profiles\\" + tokens[1] + ".pcf";
    if (GetFileAttributesA(profileFile.c_str()) == INVALID_FILE_ATTRIBUTES) return 10;
    const auto expectedUser = ProfileSetting(profileFile, "Username");
    const auto expectedPassword = ProfileSetting(profileFile, "Password");
    if ((expectedUser && *expectedUser != user) ||
        (expectedPassword && *expectedPassword != password)) {
        return 14;
    }
    tunnel = "up";
    return 200;
}

}  // namespace

// The arguments as the C runtime's start-up splits them, as the real client, a Windows C
// program, reads its command line: backslashes before a double quote escape it.
int main(int argc, char** argv) {
    const std::string folder = ProgramFolder();
    const std::string parameters = ParametersAsReceived();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const std::string show =
        (startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_string(startup.wShowWindow) : "default";
    AppendLine(folder + "journal.txt", "show=" + show + " params=" + parameters);

    const std::vector<std::string> tokens(argv + 1, argv + argc);
    const Outcome scripted = ScriptedOutcome(folder, tokens.empty() ? "" : tokens[0]);
    if (scripted.delayMs > 0) Sleep(scripted.delayMs);

    std::string tunnel = "keep";
    DWORD code = Execute(folder, tokens, tunnel);
    if (scripted.tunnel != "default") tunnel = scripted.tunnel;
    if (scripted.exitCode) code = *scripted.exitCode;
    if (tunnel == "up") SetTunnel(1);
    if (tunnel == "down") SetTunnel(0);
    ExitProcess(code);
}
