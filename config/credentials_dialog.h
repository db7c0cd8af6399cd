#pragma once
// The dialog that asks for the Windows account that runs the scheduled task, and lets a name
// and password through only when Windows accepts them for a batch logon (or this process may
// not make that test). Its members follow its edits through the change handlers of its
// message map.
#include <windows.h>

#include <string>

#include "dialog.h"
#include "logon_check.h"
#include "secret_string.h"
#include "resource.h"

class CredentialsDialog : public Dialog {
public:
    // `logon` makes the check on OK and must outlive the dialog. Without `parent` the
    // application's main window owns the dialog.
    explicit CredentialsDialog(LogonChecker& logon, Dialog* parent = nullptr);
    // Wipes the password.
    ~CredentialsDialog() override;

    // The account name: set by the caller before DoModal, then the text of IDC_ACCOUNT_USER_EDIT.
    std::string m_userName;
    // The password: empty at first, then the text of IDC_ACCOUNT_PASSWORD_EDIT. After IDOK the
    // caller reads both; after IDCANCEL the password is already wiped.
    SecretString m_password;

protected:
    EditControl m_userNameEdit;
    EditControl m_passwordEdit;

    void DoDataExchange() override;
    bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    // Shows `m_userName` in its edit; returns TRUE, so the focus goes to the first tab stop,
    // the password edit.
    BOOL OnInitDialog() override;
    // Checks the name and password as they stand in the members. An accepted pair, or one that
    // this process may not test, ends the dialog with IDOK; a refused one gets a warning and
    // the dialog stays open with both fields as typed, for another try.
    void OnOK() override;
    // Ends the dialog with IDCANCEL without a check, whatever the fields hold.
    void OnCancel() override;

    void OnChangeUserName();
    void OnChangePassword();

private:
    LogonChecker& m_logon;

    static constexpr MessageMapEntry<CredentialsDialog> kMessageMap[] = {
        {WM_COMMAND, EN_CHANGE, IDC_ACCOUNT_USER_EDIT, &CredentialsDialog::OnChangeUserName},
        {WM_COMMAND, EN_CHANGE, IDC_ACCOUNT_PASSWORD_EDIT, &CredentialsDialog::OnChangePassword},
    };
};
