// The two ways in which the main dialog leaves its mark on the machine: OK applies the
// settings through the apply flow (apply_flow.h) with the dialog's face; with "disable checks"
// OK deletes the work item instead, after a confirmation.
#include "apply_flow.h"
#include "credentials_dialog.h"
#include "main_dialog.h"
#include "program_messages.h"
#include "wipe_text.h"

// The dialog's face of the apply flow: message boxes and the credentials dialog;
// a failed step of the Task Scheduler is silent, and the dialog closes all the same.
class MainDialog::DialogFace final : public ApplyFace {
public:
    explicit DialogFace(MainDialog& dialog) : m_dialog(dialog) {}
    void TellRefused(unsigned textId) override {
        ShowProgramMessage(m_dialog.Window(), textId, g_warningCaption, MessageKind::Warning);
    }
    void TellApplyBusy() override {
        ShowProgramMessage(m_dialog.Window(), IDS_APPLY_BUSY, g_warningCaption,
                           MessageKind::Warning);
    }
    // Silent, as a failed step of the Task Scheduler is.
    bool GoOnWithoutSettings(long) override { return true; }
    bool TakeAccount(std::string& user, std::string& password) override {
        CredentialsDialog credentials(m_dialog.m_logon);
        credentials.m_userName = user;
        if (credentials.DoModal() != IDOK) {
            return false;
        }
        user = credentials.m_userName;
        // Moved, not copied: the dialog wipes what it is left with.
        WipeText(password);
        password.swap(credentials.m_password);
        return true;
    }
    // Any answer but No, also a box that could not be shown, lets the start go ahead.
    bool AgreesToStartScheduler() override {
        return ShowProgramMessage(nullptr, IDS_START_SCHEDULER, g_warningCaption,
                                  MessageKind::Question) != IDNO;
    }
    void TellSchedulerNotStarted() override {
        ShowProgramMessage(m_dialog.Window(), IDS_SCHEDULER_NOT_STARTED, g_errorCaption,
                           MessageKind::Error);
    }
    void TellStepFailed(TaskStep, HRESULT) override {}

private:
    MainDialog& m_dialog;
};

void MainDialog::OnOK() {
    if (m_checksDisabled) {
        OnDeleteTask();
        return;
    }
    ApplyEntries entries;
    entries.profileName = m_profileName;
    entries.intervalText = m_intervalText;
    entries.profileUser = m_profileUser;
    entries.profilePassword = m_profilePassword;
    entries.accountRequired = m_accountRequired;
    entries.accountUser = m_accountUser;
    DialogFace face(*this);
    const ApplyOutcome outcome = RunApplyFlow(entries, face, m_scheduler, m_schedulerService);
    // Changed only by an account that was taken.
    m_accountUser = entries.accountUser;
    // Every other end keeps the dialog open for the user to correct or cancel.
    if (outcome.end == ApplyEnd::Applied) {
        Dialog::OnOK();
    }
}

void MainDialog::OnDeleteTask() {
    if (ShowProgramMessage(Window(), IDS_CONFIRM_DELETE, g_confirmationCaption,
                           MessageKind::Question) == IDYES) {
        if (FAILED(m_scheduler.DeleteWorkItem(kWorkItemName))) {
            ShowProgramMessage(Window(), IDS_DELETE_FAILED, g_errorCaption, MessageKind::Error);
        } else {
            m_taskStatic.SetText(g_noTaskText);
            m_deleteButton.Enable(false);
        }
        SaveEnteredSettings(m_profileName, m_intervalText, m_profileUser, m_profilePassword);
    }
    Dialog::OnOK();
}
