#include "test_command.h"

#include "client_contract.h"
#include "command_messages.h"
#include "connection_test.h"
#include "installed_client.h"
#include "profile_choice.h"
#include "resource.h"
#include "settings_store.h"
#include "test_outcome.h"

int RunTest(const ConfigCommandLine& line, CommandChannel& channel) {
    const std::optional<std::string> folder = ReadVpnClientFolder();
    if (!folder) {
        channel.Error(CommandText(IDS_CLIENT_NOT_FOUND));
        return kExitClientNotFound;
    }
    ConnectorSettings stored = LoadSettings();
    const std::string user = line.user.value_or(stored.profileUser.value_or(""));
    const SecretString password = line.password.value_or(stored.profilePassword.value_or(""));
    const std::optional<std::string> profile =
        ChooseProfile(line, stored.profileName, WithTrailingBackslash(*folder), channel);
    if (!profile) {
        return kExitNoProfile;
    }
    unsigned refused = 0;
    const std::unique_ptr<ConnectionTest> test =
        ConnectionTest::Of(VpnClientIn(*folder), *profile, user, password, refused);
    if (!test) {
        channel.Error(CommandText(refused));
        return kExitValueRefused;
    }
    // A tunnel that is up (as /status reads it) may be the one the task keeps: a connect and
    // the disconnect after it would take it down until the task's next run.
    if (ReadTunnelFlag().value_or(0) != 0) {
        channel.Error(CommandText(IDS_CLI_TUNNEL_ALREADY_UP));
        return kExitTunnelAlreadyUp;
    }
    test->Begin();
    const DWORD timeoutMs =
        static_cast<DWORD>(line.timeoutSeconds.value_or(kDefaultTimeoutSeconds)) * 1000;
    const std::optional<DWORD> code = test->Wait(timeoutMs);
    if (!code) {
        channel.Error(CommandTextWith(IDS_CLI_TEST_TIMED_OUT, std::to_string(timeoutMs / 1000)));
        return kExitTestTimedOut;
    }
    const TestOutcome outcome = TestOutcomeFor(true, *code);
    if (outcome.state != TestState::Succeeded) {
        channel.Error(CommandTextWith(outcome.textId, outcome.codeName));
        return kExitTestFailed;
    }
    channel.Out(CommandText(outcome.textId));
    // The disconnect run is waited for, so that a script's next step finds the tunnel down.
    test->Finish(kAbandonedRunWaitMs);
    return kExitDone;
}
