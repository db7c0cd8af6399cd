// The two ways in which the main dialog leaves its mark on the machine: OK applies the
// settings (saves them, asks for the Windows account, makes sure the Task Scheduler runs, and
// creates or updates the work item "Ferrolink"); with "disable checks" OK deletes the work
// item instead, after a confirmation.
#include "credentials_dialog.h"
#include "main_dialog.h"
#include "main_dialog_texts.h"
#include "program_texts.h"
#include "scheduler_service.h"
#include "settings_store.h"
#include "task_texts.h"
#include "wipe_text.h"

void MainDialog::OnOK() {
    if (m_checksDisabled) {
        OnDeleteTask();
        return;
    }
    if (m_profileName.empty()) {
        ShowProgramMessage(Window(), IDS_NO_PROFILE, g_warningCaption, MessageKind::Warning);
        return;
    }
    // A task with values that the connector cannot take would fail on every run, and only
    // the event log would say so.
    if (const auto warning = RefusedValuesWarning(m_profileName, m_profileUser, m_profilePassword)) {
        ShowProgramMessage(Window(), *warning, g_warningCaption, MessageKind::Warning);
        return;
    }
    if ((m_profileUser.empty() || m_profilePassword.empty()) &&
        ShowProgramMessage(Window(), IDS_EMPTY_PROFILE_CREDENTIALS, g_warningCaption,
                           MessageKind::Question) != IDYES) {
        return;
    }
    SaveDialogSettings();

    if (m_accountRequired) {
        CredentialsDialog credentials(m_logon);
        credentials.m_userName = m_accountUser;
        if (credentials.DoModal() != IDOK) {
            return;
        }
        m_accountUser = credentials.m_userName;
        // Moved, not copied: the dialog wipes what it is left with.
        WipeText(m_accountPassword);
        m_accountPassword.swap(credentials.m_password);
    }

    if (EnsureSchedulerRunning(true, m_schedulerService) != 0) {
        ShowProgramMessage(Window(), IDS_SCHEDULER_NOT_STARTED, g_errorCaption,
                           MessageKind::Error);
    }

    // Failures of the Task Scheduler are silent: the stored work item stays as it was unless
    // every step before the save succeeded.
    std::unique_ptr<WorkItem> task;
    HRESULT result = m_scheduler.OpenWorkItem(kWorkItemName, task, true);
    if (SUCCEEDED(result)) {
        if (m_accountRequired) {
            result = SetTaskAccount(*task);
        }
        if (SUCCEEDED(result)) {
            result = SetTaskCommand(*task);
        }
        if (SUCCEEDED(result)) {
            result = SetTaskTrigger(*task);
        }
        if (SUCCEEDED(result)) {
            SaveWorkItem(*task);
        }
    }
    task.reset();
    WipeText(m_accountPassword);
    Dialog::OnOK();
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
        SaveDialogSettings();
    }
    Dialog::OnOK();
}

void MainDialog::SaveDialogSettings() {
    ConnectorSettings settings{m_profileName, LeadingInteger(m_intervalText).value_or(0),
                               m_profileUser, m_profilePassword};
    SaveSettings(settings);
    WipeText(*settings.profilePassword);
}
