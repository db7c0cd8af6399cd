#include "main_dialog.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "about_dialog.h"
#include "client_contract.h"
#include "parsed_values.h"
#include "program_messages.h"
#include "resource_module.h"
#include "settings_store.h"
#include "task_definition.h"
#include "text_format.h"
#include "win_handles.h"

namespace {

// Buffer sizes that decide what fits: a longer value counts as unreadable.
constexpr DWORD kHelpFileBufferSize = 200;
constexpr std::size_t kCheckTextBufferSize = 256;

}  // namespace

MainDialog::MainDialog(LogonChecker& logon, SchedulerServicePlatform& schedulerService)
    : Dialog(IDD_MAIN_DIALOG),
      m_hIcon(LoadResourceIcon(IDR_MAINFRAME)),
      m_logon(logon),
      m_schedulerService(schedulerService) {}

MainDialog::~MainDialog() = default;

void MainDialog::DoDataExchange() {
    BindControl(m_checkStatic, IDC_CHECK_STATIC);
    BindControl(m_profilePasswordEdit, IDC_PROFILE_PASSWORD_EDIT);
    BindControl(m_intervalCombo, IDC_INTERVAL_COMBO);
    BindControl(m_deleteButton, IDC_DELETE_TASK_BUTTON);
    BindControl(m_taskStatic, IDC_TASK_STATIC);
    BindControl(m_profileUserEdit, IDC_PROFILE_USER_EDIT);
    BindControl(m_profileCombo, IDC_PROFILE_COMBO);
}

bool MainDialog::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    return RouteThroughMap(kMessageMap, message, wParam, lParam, result);
}

BOOL MainDialog::OnInitDialog() {
    Dialog::OnInitDialog();

    if (HMENU systemMenu = GetSystemMenu(Window(), FALSE)) {
        const std::string about = LoadResourceString(IDS_ABOUTBOX);
        if (!about.empty()) {
            AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }

    SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    LoadProgramTexts();

    const std::optional<std::string> installFolder = ReadVpnClientFolder();
    if (!installFolder) {
        StopWithoutClient();
    }
    ListProfiles(WithTrailingBackslash(*installFolder));

    SetDefaults();
    ApplyStoredSettings();

    m_accountRequired = true;
    ShowTaskState();
    return TRUE;
}

void MainDialog::StopWithoutClient() {
    ShowProgramMessage(Window(), IDS_CLIENT_NOT_FOUND, g_errorCaption, MessageKind::Error);
    ExitProcess(1);
}

void MainDialog::ListProfiles(const std::string& installFolder) {
    for (const std::string& profile : ListVpnProfiles(installFolder)) {
        m_profileCombo.AddString(profile);
    }
}

void MainDialog::SetDefaults() {
    m_checksDisabled = false;
    m_intervalCombo.SelectString(-1, kDefaultInterval);
    m_intervalText = kDefaultInterval;
    m_accountUser = LoggedOnUserName();
    m_profileUserEdit.SetText("");
    m_profilePasswordEdit.SetText("");
    m_profileCombo.SetCurSel(-1);
    OnSelchangeProfile();
}

void MainDialog::ApplyStoredSettings() {
    ConnectorSettings stored = LoadSettings();
    // An empty stored profile is the record of "no profile chosen": every item would begin
    // with it, so it must not select the first one.
    if (stored.profileName && !stored.profileName->empty()) {
        m_profileCombo.SelectString(-1, *stored.profileName);
        OnSelchangeProfile();
    } else {
        m_profileCombo.SetCurSel(-1);
    }
    if (stored.intervalMinutes) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", static_cast<int>(*stored.intervalMinutes));
        m_intervalCombo.SelectString(-1, number);
        OnSelchangeInterval();
    }
    if (stored.profileUser) {
        m_profileUserEdit.SetText(*stored.profileUser);
        m_profileUser = *stored.profileUser;
    }
    if (stored.profilePassword) {
        m_profilePasswordEdit.SetText(*stored.profilePassword);
        m_profilePassword = *stored.profilePassword;
    }
}

void MainDialog::ShowTaskState() {
    std::unique_ptr<WorkItem> task;
    if (FAILED(m_scheduler.OpenWorkItem(kWorkItemName, task, false))) {
        m_checkStatic.SetText(LoadResourceString(IDS_NO_CHECKING));
        m_taskStatic.SetText(g_noTaskText);
        m_deleteButton.Enable(false);
        return;
    }
    // The interval shown is the stored one, not the task's trigger.
    m_checkStatic.SetText(FormatWithText(LoadResourceString(IDS_CHECK_INTERVAL), m_intervalText,
                                         kCheckTextBufferSize - 1));
    m_taskStatic.SetText(kWorkItemName);
    m_deleteButton.Enable(true);

    TakeAccountOfWorkItem(*task, m_accountRequired, m_accountUser);
}

bool MainDialog::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) != IDM_ABOUTBOX) {
        return false;
    }
    AboutDialog about;
    about.DoModal();
    return true;
}

bool MainDialog::OnPaint() {
    if (!IsIconic(Window())) {
        return false;
    }
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(Window(), &paint);
    SendMessageA(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    GetClientRect(Window(), &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(Window(), &paint);
    return true;
}

HCURSOR MainDialog::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void MainDialog::OnSelchangeProfile() { m_profileName = m_profileCombo.Text(); }

void MainDialog::OnChangeProfileUser() { m_profileUser = m_profileUserEdit.Text(); }

void MainDialog::OnChangeProfilePassword() {
    m_profilePasswordEdit.ReadSecretText(m_profilePassword);
}

void MainDialog::OnSelchangeInterval() {
    const std::optional<int> minutes = LeadingInteger(m_intervalCombo.Text());
    if (minutes) {
        m_intervalText = std::to_string(*minutes);
        m_checksDisabled = false;
    } else {
        m_checksDisabled = true;
    }
}

void MainDialog::WinHelp(DWORD_PTR, UINT) {
    const std::optional<std::string> helpFile = ReadSettingsText("HelpFile", kHelpFileBufferSize);
    if (!helpFile) {
        return;
    }
    ShellExecuteA(nullptr, "open", helpFile->c_str(), nullptr, nullptr, SW_SHOW);
}
