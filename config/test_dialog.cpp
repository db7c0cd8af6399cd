#include "test_dialog.h"

#include "resource.h"
#include "resource_module.h"
#include "text_format.h"

namespace {

// The room of the status text as a fixed buffer would give it, less its terminator.
constexpr std::size_t kStatusTextLimit = 255;

}  // namespace

TestDialog::TestDialog()
    : Dialog(IDD_TEST_DIALOG), m_opening(TestOutcomeFor(false, 0)) {}

void TestDialog::DoDataExchange() {
    BindControl(m_waitIcon, IDC_TEST_WAITING_ICON);
    BindControl(m_successIcon, IDC_TEST_SUCCEEDED_ICON);
    BindControl(m_errorIcon, IDC_TEST_FAILED_ICON);
    BindControl(m_statusText, IDC_TEST_STATUS_TEXT);
    BindControl(m_okButton, IDOK);
}

BOOL TestDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    // A waiting test's OK is disabled from the first moment, not only from the first timer
    // tick: OK is the answer to a result, and there is none yet.
    ShowOutcome(m_opening);
    return TRUE;
}

void TestDialog::ShowOutcome(const TestOutcome& outcome) const {
    if (Window() == nullptr) {
        return;
    }
    if (outcome.textId != 0) {
        m_statusText.SetText(FormatWithText(LoadResourceString(outcome.textId), outcome.codeName,
                                            kStatusTextLimit));
    }
    m_okButton.Enable(outcome.okEnabled);
    const struct {
        const StaticControl& control;
        int id;
    } icons[] = {{m_waitIcon, IDC_TEST_WAITING_ICON},
                 {m_successIcon, IDC_TEST_SUCCEEDED_ICON},
                 {m_errorIcon, IDC_TEST_FAILED_ICON}};
    for (const auto& icon : icons) {
        icon.control.Show(icon.id == outcome.iconControlId);
    }
}
