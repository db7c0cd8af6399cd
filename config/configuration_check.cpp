// The configuration test of the main dialog: a ConnectionTest with the profile, user name and
// password that the dialog shows, its outcome in a TestDialog. The test saves nothing.
//
// The connect run is polled on the main dialog's timer, which the TestDialog's modal loop
// serves, so the program stays responsive while the client works. Esc and the close box end
// the TestDialog at any time, so that a client that never ends cannot hold the administrator
// in it; the polling then goes on behind the main dialog, and a connect that still succeeds is
// followed by its disconnect run all the same. A click on the button while that run still
// runs shows it again instead of starting a second one.
#include <optional>
#include <string>

#include "main_dialog.h"
#include "program_messages.h"
#include "test_outcome.h"

namespace {

constexpr UINT_PTR kTestTimerId = 111;
constexpr UINT kTestPollMs = 100;

}  // namespace

void MainDialog::OnTestConfiguration() {
    // An earlier test's connect run still runs (its dialog was closed early): show it again.
    if (!m_test && !StartTest()) {
        return;
    }
    ShowTestDialog();
}

bool MainDialog::StartTest() {
    const std::optional<std::string> clientPath = LocateVpnClient();
    if (!clientPath) {
        return false;
    }
    unsigned refused = 0;
    m_test = ConnectionTest::Of(*clientPath, m_profileName, m_profileUser, m_profilePassword,
                                refused);
    if (!m_test) {
        ShowProgramMessage(Window(), refused, g_warningCaption, MessageKind::Warning);
        return false;
    }
    m_testDialog = std::make_unique<TestDialog>();
    m_test->Begin();
    if (const std::optional<DWORD> code = m_test->Wait()) {
        m_testDialog->OpenIn(TestOutcomeFor(true, *code));
    } else {
        SetTimer(Window(), kTestTimerId, kTestPollMs, nullptr);
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
    if (m_test->Wait()) {
        m_test.reset();
    }
}

void MainDialog::OnTimer(UINT_PTR id) {
    if (id != kTestTimerId || !m_test) {
        return;
    }
    if (m_testDialog) {
        m_testDialog->m_okButton.Enable(false);
    }
    const std::optional<DWORD> code = m_test->Wait();
    if (!code) {
        return;
    }
    KillTimer(Window(), kTestTimerId);
    if (m_testDialog) {
        m_testDialog->ShowOutcome(TestOutcomeFor(true, *code));
    } else {
        m_test.reset();
    }
}
