#include "test_command.h"

#include "apply_command.h"
#include "apply_flow.h"
#include "client_contract.h"
#include "client_start.h"
#include "command_texts.h"
#include "exit_codes.h"
#include "resource.h"
#include "settings_store.h"
#include "task_texts.h"
#include "test_outcome.h"
#include "wipe_text.h"

namespace {

// The exit code of a run that ended within `waitMs`; nothing when it still runs.
std::optional<DWORD> WaitForRun(HANDLE process, DWORD waitMs) {
    if (WaitForSingleObject(process, waitMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
}

}  // namespace

int RunTest(const ConfigCommandLine& line, CommandChannel& channel) {
    const std::optional<std::string> folder = ReadVpnClientFolder();
    const std::optional<std::string> clientPath = LocateVpnClient();
    if (!folder || !clientPath) {
        channel.Error(CommandText(IDS_CLIENT_NOT_FOUND));
        return kExitClientNotFound;
    }
    ConnectorSettings stored = LoadSettings();
    std::string user = line.user.value_or(stored.profileUser.value_or(""));
    std::string password = line.password.value_or(stored.profilePassword.value_or(""));
    if (stored.profilePassword) WipeText(*stored.profilePassword);
    struct Wiped {
        std::string& text;
        ~Wiped() { WipeText(text); }
    } wiped{password};
    const std::optional<std::string> profile =
        ChooseProfile(line, stored.profileName, WithTrailingBackslash(*folder), channel);
    if (!profile) {
        return kExitNoProfile;
    }
    // The test proves what the task will run, as the dialog's does.
    if (const auto warning = RefusedValuesWarning(*profile, user, password)) {
        channel.Error(CommandText(*warning));
        return kExitValueRefused;
    }

    // A tunnel that is up (as /status reads it) may be the one the task keeps: a connect and
    // the disconnect after it would take it down until the task's next run.
    if (ReadTunnelFlag().value_or(0) != 0) {
        channel.Error(CommandText(IDS_CLI_TUNNEL_ALREADY_UP));
        return kExitTunnelAlreadyUp;
    }

    const VpnClientRequest connect(*clientPath, BuildConnectText(*profile, user, password));
    const VpnClientRequest disconnect = connect.WithParameters(kDisconnectCommand);
    const UniqueHandle run = connect.Start();
    const DWORD timeoutMs =
        static_cast<DWORD>(line.timeoutSeconds.value_or(kDefaultTimeoutSeconds)) * 1000;
    // A client that could not be started counts as exit code 0, as in the dialog.
    const std::optional<DWORD> code = run ? WaitForRun(run.get(), timeoutMs) : std::optional<DWORD>(0);
    if (!code) {
        channel.Error(CommandTextWith(IDS_CLI_TEST_TIMED_OUT,
                                      std::to_string(timeoutMs / 1000)));
        // As the dialog's closing: a run that still succeeds is taken down, and one that does
        // not end in time may still bring the tunnel up.
        const std::optional<DWORD> late = WaitForRun(run.get(), kAbandonedRunWaitMs);
        if (!late || *late == static_cast<DWORD>(SUCCESS_START)) {
            const UniqueHandle disconnectRun = disconnect.Start();
        }
        return kExitTestTimedOut;
    }
    const TestOutcome outcome = TestOutcomeFor(true, *code);
    if (outcome.state == TestState::Succeeded) {
        channel.Out(CommandText(outcome.textId));
        // Waited for (not read), so that a script's next step finds the tunnel down.
        if (const UniqueHandle disconnectRun = disconnect.Start()) {
            WaitForRun(disconnectRun.get(), kAbandonedRunWaitMs);
        }
        return kExitDone;
    }
    channel.Error(CommandTextWith(outcome.textId, outcome.codeName));
    return kExitTestFailed;
}
