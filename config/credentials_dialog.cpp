#include "credentials_dialog.h"

#include "program_messages.h"

CredentialsDialog::CredentialsDialog(LogonChecker& logon, Dialog* parent)
    : Dialog(IDD_CREDENTIALS_DIALOG, parent), m_logon(logon) {}

CredentialsDialog::~CredentialsDialog() = default;

void CredentialsDialog::DoDataExchange() {
    BindControl(m_userNameEdit, IDC_ACCOUNT_USER_EDIT);
    BindControl(m_passwordEdit, IDC_ACCOUNT_PASSWORD_EDIT);
}

bool CredentialsDialog::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                     INT_PTR& result) {
    return RouteThroughMap(kMessageMap, message, wParam, lParam, result);
}

BOOL CredentialsDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    // The edit's change notice writes m_userName while the text is being set, so the edit is
    // given a copy rather than the member itself.
    const std::string userName = m_userName;
    m_userNameEdit.SetText(userName);
    return TRUE;
}

void CredentialsDialog::OnOK() {
    if (m_logon.TryBatchLogon(m_userName, m_password) == LogonOutcome::Rejected) {
        ShowProgramMessage(Window(), IDS_INVALID_CREDENTIALS, g_warningCaption,
                           MessageKind::Warning);
        return;
    }
    Dialog::OnOK();
}

void CredentialsDialog::OnCancel() {
    // The caller reads nothing after Cancel, so the password need not wait for the object's end.
    m_password.Wipe();
    Dialog::OnCancel();
}

void CredentialsDialog::OnChangeUserName() { m_userName = m_userNameEdit.Text(); }

void CredentialsDialog::OnChangePassword() { m_passwordEdit.ReadSecretText(m_password); }
