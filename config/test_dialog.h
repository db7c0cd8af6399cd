#pragma once
// The dialog that the configuration test shows while the VPN client connects, and then the
// outcome. What it shows is set by the main dialog's test handlers; it only remembers what to
// show when it opens, since its window does not exist before it runs.
#include "dialog.h"
#include "test_outcome.h"

class TestDialog : public Dialog {
public:
    // Opens in the Waiting state unless OpenIn says otherwise.
    TestDialog();

    // The outcome the dialog shows as soon as it opens: a test whose client could not be
    // started opens already failed.
    void OpenIn(const TestOutcome& outcome) { m_opening = outcome; }

    // Shows `outcome`: its status text (a failure's with the exit code's name), its one
    // visible icon, and OK enabled or disabled. Does nothing before the dialog runs.
    void ShowOutcome(const TestOutcome& outcome) const;

    StaticControl m_waitIcon;
    StaticControl m_successIcon;
    StaticControl m_errorIcon;
    StaticControl m_statusText;
    ButtonControl m_okButton;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;

private:
    TestOutcome m_opening;
};
