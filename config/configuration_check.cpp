// The configuration test of the main dialog: one connect run of the VPN client with the
// profile, user name and password that the dialog shows, its outcome in a TestDialog, and a
// disconnect run after a success. The test saves nothing.
//
// The connect run is polled on the main dialog's timer, which the TestDialog's modal loop
// serves, so the program stays responsive while the client works. Esc and the close box end
// the TestDialog at any time, so that a client that never ends cannot hold the administrator
// in it; the polling then goes on behind the main dialog, and a connect that still succeeds is
// followed by its disconnect run all the same. A click on the button while that run still
// runs shows it again instead of starting a second one.
#include <optional>
#include <string>

#include "client_contract.h"
#include "task_texts.h"
#include "exit_codes.h"
#include "main_dialog.h"
#include "program_texts.h"
#include "test_outcome.h"

namespace {

constexpr UINT_PTR kTestTimerId = 111;
constexpr UINT kTestPollMs = 100;

}  // namespace

void MainDialog::OnTestConfiguration() {
    // An earlier test's connect run still runs (its dialog was closed early): show it again.
    if (!m_testProcess && !StartTest()) {
        return;
    }
    ShowTestDialog();
}

bool MainDialog::StartTest() {
    std::optional<std::string> clientPath = LocateVpnClient();
    if (!clientPath) {
        return false;
    }
    // The test proves what the task will run: values that the connector cannot take are refused
    // here too, though the client would take them.
    if (const auto warning = RefusedValuesWarning(m_profileName, m_profileUser, m_profilePassword)) {
        ShowProgramMessage(Window(), *warning, g_warningCaption, MessageKind::Warning);
        return false;
    }
    m_vpnClientPath = std::move(*clientPath);
    const VpnClientRequest connect(m_vpnClientPath,
                                   BuildConnectText(m_profileName, m_profileUser, m_profilePassword));
    m_disconnectRequest.emplace(connect.WithParameters(kDisconnectCommand));
    m_testDialog = std::make_unique<TestDialog>();
    // Nothing is read yet: a code left from an earlier test must not count for this one.
    m_testExitCode = STILL_ACTIVE;
    m_testProcess = connect.Start();
    if (m_testProcess) {
        SetTimer(Window(), kTestTimerId, kTestPollMs, nullptr);
    } else {
        m_testExitCode = 0;
        m_testDialog->OpenIn(TestOutcomeFor(true, m_testExitCode));
    }
    return true;
}

void MainDialog::ShowTestDialog() {
    if (!m_testDialog) {
        m_testDialog = std::make_unique<TestDialog>();
    }
    m_testDialog->DoModal();
    m_testDialog.reset();
    // A run that still goes on is finished by the timer.
    if (!m_testProcess) {
        DisconnectAfterSuccess();
    }
}

void MainDialog::OnTimer(UINT_PTR id) {
    if (id != kTestTimerId || !m_testProcess) {
        return;
    }
    if (m_testDialog) {
        m_testDialog->m_okButton.Enable(false);
    }
    // The call's own result is not looked at: a failed read leaves 259, and the handle decides.
    GetExitCodeProcess(m_testProcess.get(), &m_testExitCode);
    if (!RunHasEnded(m_testProcess.get(), m_testExitCode)) {
        return;
    }
    KillTimer(Window(), kTestTimerId);
    m_testProcess.reset();
    if (m_testDialog) {
        m_testDialog->ShowOutcome(TestOutcomeFor(true, m_testExitCode));
    } else {
        DisconnectAfterSuccess();
    }
}

void MainDialog::DisconnectAfterSuccess() {
    if (m_testExitCode == static_cast<DWORD>(SUCCESS_START)) {
        StartDisconnectRun();
    }
}

void MainDialog::StartDisconnectRun() {
    if (m_disconnectRequest) {
        // Not waited for and not read: its handle is closed at once.
        const UniqueHandle disconnectRun = m_disconnectRequest->Start();
        m_disconnectRequest.reset();
    }
}

void MainDialog::FinishTestOnClose() {
    if (!m_testProcess) {
        return;
    }
    const bool ended = WaitForSingleObject(m_testProcess.get(), kAbandonedRunWaitMs) == WAIT_OBJECT_0;
    if (ended) {
        GetExitCodeProcess(m_testProcess.get(), &m_testExitCode);
    }
    m_testProcess.reset();
    // A run that did not end may still bring the tunnel up.
    if (ended) {
        DisconnectAfterSuccess();
    } else {
        StartDisconnectRun();
    }
}
