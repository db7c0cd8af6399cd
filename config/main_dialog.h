#pragma once
// The main dialog: the VPN client's profiles, the profile's user name and password, the check
// interval, and whether the task "Ferrolink" exists. Its members follow its controls through
// the change handlers of its message map.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "connection_test.h"
#include "dialog.h"
#include "logon_check.h"
#include "resource.h"
#include "scheduler_access.h"
#include "scheduler_service.h"
#include "secret_string.h"
#include "test_dialog.h"
#include "win_handles.h"

// The main dialog. Its members are defined in three files: main_dialog.cpp (start-up, what
// the dialog shows, its controls, the system menu and help), main_dialog_ok.cpp (OK and
// the delete flow) and configuration_check.cpp (the "Test configuration" button).
class MainDialog : public Dialog {
public:
    // `logon` checks the Windows account that is to run the task; `schedulerService` is what
    // the check of the Task Scheduler service runs on.
    explicit MainDialog(LogonChecker& logon = WindowsLogonChecker(),
                        SchedulerServicePlatform& schedulerService = WindowsSchedulerService());
    ~MainDialog() override;

    // The scheduler object, created before and released after the dialog runs.
    SchedulerAccess& Scheduler() { return m_scheduler; }

    // Opens the help document named by the settings key's "HelpFile"; both arguments are
    // ignored. Does nothing when the value cannot be read.
    void WinHelp(DWORD_PTR data, UINT command) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange() override;
    // The apply flow (main_dialog_ok.cpp): checks the entries, saves the settings, asks for the
    // Windows account, makes sure the Task Scheduler runs, and creates or updates the work item;
    // with "disable checks" the delete flow instead. Closes the dialog except where an answer keeps
    // it open.
    void OnOK() override;
    bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    // Puts the defaults in place: interval "10 minutes", the logged-on user as the account,
    // empty profile user name and password, no profile selected.
    void SetDefaults();

    // Both return whether they handled the message; false leaves it to the dialog manager.
    bool OnSysCommand(UINT id, LPARAM position);
    bool OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSelchangeProfile();
    void OnChangeProfileUser();
    void OnChangeProfilePassword();
    void OnSelchangeInterval();
    // The delete flow (main_dialog_ok.cpp): after a confirmation deletes the work item and saves
    // the settings; closes the dialog whatever the answer.
    void OnDeleteTask();

    // The configuration test (configuration_check.cpp): connects the profile shown once with
    // the VPN client, hidden, shows the outcome in a TestDialog and disconnects again after a
    // success. Does nothing when the client's "InstallPath" cannot be read.
    void OnTestConfiguration();
    // Polls the test's connect run on timer 111; any other timer id changes nothing.
    void OnTimer(UINT_PTR id);

    StaticControl m_checkStatic;
    EditControl m_profilePasswordEdit;
    ComboBoxControl m_intervalCombo;
    ButtonControl m_deleteButton;
    StaticControl m_taskStatic;
    EditControl m_profileUserEdit;
    ComboBoxControl m_profileCombo;
    HICON m_hIcon;
    std::string m_profileName;
    std::string m_intervalText = "10";
    std::string m_profileUser;
    SecretString m_profilePassword;
    bool m_accountRequired = true;
    bool m_checksDisabled = false;
    std::string m_accountUser;
    SecretString m_accountPassword;
    SchedulerAccess m_scheduler;
    // The configuration test while it runs or shows its outcome; ending it takes down a
    // tunnel that it brought up.
    std::unique_ptr<ConnectionTest> m_test;
    std::unique_ptr<TestDialog> m_testDialog;

private:
    // How OK asks and tells (main_dialog_ok.cpp).
    class DialogFace;
    // The stop when the VPN client is not installed; does not return.
    [[noreturn]] void StopWithoutClient();
    void ListProfiles(const std::string& installFolder);
    void ApplyStoredSettings();
    void ShowTaskState();
    // Steps of the configuration test (configuration_check.cpp).
    bool StartTest();
    void ShowTestDialog();

    LogonChecker& m_logon;
    SchedulerServicePlatform& m_schedulerService;

    static constexpr MessageMapEntry<MainDialog> kMessageMap[] = {
        {WM_SYSCOMMAND, 0, 0, &MainDialog::OnSysCommand},
        {WM_PAINT, 0, 0, &MainDialog::OnPaint},
        {WM_QUERYDRAGICON, 0, 0, &MainDialog::OnQueryDragIcon},
        {WM_COMMAND, CBN_SELCHANGE, IDC_PROFILE_COMBO, &MainDialog::OnSelchangeProfile},
        {WM_COMMAND, EN_CHANGE, IDC_PROFILE_USER_EDIT, &MainDialog::OnChangeProfileUser},
        {WM_COMMAND, BN_CLICKED, IDC_DELETE_TASK_BUTTON, &MainDialog::OnDeleteTask},
        {WM_COMMAND, EN_CHANGE, IDC_PROFILE_PASSWORD_EDIT, &MainDialog::OnChangeProfilePassword},
        {WM_COMMAND, CBN_SELCHANGE, IDC_INTERVAL_COMBO, &MainDialog::OnSelchangeInterval},
        {WM_COMMAND, BN_CLICKED, IDC_TEST_BUTTON, &MainDialog::OnTestConfiguration},
        {WM_TIMER, 0, 0, &MainDialog::OnTimer},
    };
};
