// The configuration test in this process, where no timer tick can come first: the state the
// test dialog opens in, and the main dialog's timer handler against a finished process.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "client_contract.h"
#include "main_dialog.h"
#include "program_texts.h"
#include "resource.h"
#include "settings_store.h"
#include "test_dialog.h"

namespace {

// Records what the dialog shows right after its start-up, then cancels it.
class ProbedTestDialog : public TestDialog {
public:
    std::string text;
    std::vector<int> visibleIcons;
    bool okEnabled = false;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = TestDialog::OnInitDialog();
        text = m_statusText.Text();
        okEnabled = m_okButton.IsEnabled();
        for (const auto& [icon, id] : {std::pair{&m_errorIcon, IDC_TEST_FAILED_ICON},
                                       std::pair{&m_waitIcon, IDC_TEST_WAITING_ICON},
                                       std::pair{&m_successIcon, IDC_TEST_SUCCEEDED_ICON}}) {
            // The dialog itself is not shown yet, so the icon's own style tells.
            if (GetWindowLongA(icon->Window(), GWL_STYLE) & WS_VISIBLE) visibleIcons.push_back(id);
        }
        PostMessageA(Window(), WM_COMMAND, IDCANCEL, 0);
        return result;
    }
};

TEST(TestDialog, OpensWaitingWithOkDisabledOrFailedWhenTheClientCouldNotStart) {
    ProbedTestDialog waiting;
    EXPECT_EQ(waiting.DoModal(), IDCANCEL);
    EXPECT_EQ(waiting.text, "Wait please ...");
    EXPECT_EQ(waiting.visibleIcons, std::vector<int>{IDC_TEST_WAITING_ICON});
    EXPECT_FALSE(waiting.okEnabled);

    ProbedTestDialog notStarted;
    notStarted.OpenIn(TestOutcomeFor(true, 0));
    EXPECT_EQ(notStarted.DoModal(), IDCANCEL);
    EXPECT_EQ(notStarted.text, "Error establishing VPN Tunnel (ERROR).");
    EXPECT_EQ(notStarted.visibleIcons, std::vector<int>{IDC_TEST_FAILED_ICON});
    EXPECT_TRUE(notStarted.okEnabled);
}

// A process that has already ended with `code`.
HANDLE EndedProcess(DWORD code) {
    std::string commandLine = "cmd.exe /c exit " + std::to_string(code);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info)) {
        return nullptr;
    }
    CloseHandle(info.hThread);
    WaitForSingleObject(info.hProcess, 10000);
    return info.hProcess;
}

// Hands the main dialog a finished connect run, then sends it timer messages.
class TimerProbe : public MainDialog {
public:
    explicit TimerProbe(HANDLE run) : m_run(run) {}
    bool heldAfterOtherId = false, heldAfterTick = true;
    DWORD codeAfterOtherId = 1, codeAfterTick = 0;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = MainDialog::OnInitDialog();
        m_testProcess.reset(m_run);
        m_testExitCode = kStillActive;
        SendMessageA(Window(), WM_TIMER, 112, 0);
        heldAfterOtherId = static_cast<bool>(m_testProcess);
        codeAfterOtherId = m_testExitCode;
        SendMessageA(Window(), WM_TIMER, 111, 0);
        heldAfterTick = static_cast<bool>(m_testProcess);
        codeAfterTick = m_testExitCode;
        PostMessageA(Window(), WM_COMMAND, IDCANCEL, 0);
        return result;
    }

private:
    HANDLE m_run;
};

TEST(ConfigurationTestTimer, OnlyTimer111ReadsTheRunAndItsHandleIsClosedOnceTheCodeIsKnown) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kVpnClientKey, kVpnClientInstallPathValue, REG_SZ,
                              folder, static_cast<DWORD>(std::strlen(folder) + 1)),
              ERROR_SUCCESS);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    HANDLE run = EndedProcess(14);
    ASSERT_NE(run, nullptr);
    {
        TimerProbe dialog(run);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_TRUE(dialog.heldAfterOtherId);
        EXPECT_EQ(dialog.codeAfterOtherId, kStillActive);
        EXPECT_FALSE(dialog.heldAfterTick);
        EXPECT_EQ(dialog.codeAfterTick, 14u);
    }
    // The tick closed the handle: it is no longer valid here.
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(run, &flags));
    ResetProgramTexts();
}

}  // namespace
