// The credentials dialog in this process, run from the application's main window as the main
// dialog's OK runs it: what it opens with, what its logon check is given, and how each answer
// of the check and each way of closing it ends. A stand-in check answers as scripted, since
// Wine accepts every logon.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "application.h"
#include "credentials_dialog.h"
#include "logon_check.h"
#include "program_texts.h"
#include "resource_module.h"

namespace {

using Pair = std::pair<std::string, std::string>;

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Records each (user, password) it is asked about and gives the scripted answers in turn;
// the last one stays once the script is used up.
class ScriptedLogon : public LogonChecker {
public:
    explicit ScriptedLogon(std::vector<LogonOutcome> answers) : m_answers(std::move(answers)) {}
    std::vector<Pair> calls;

    LogonOutcome TryBatchLogon(const std::string& user, const std::string& password) override {
        calls.emplace_back(user, password);
        return m_answers.at(std::min(calls.size(), m_answers.size()) - 1);
    }

private:
    std::vector<LogonOutcome> m_answers;
};

// Plays `steps` on a timer once the dialog runs, one a tick while the dialog is the active
// window; a message box over it is recorded in `boxes` ("caption|text|buttons|owner") and
// answered OK instead. After about ten seconds the dialog ends with kStuck, so that a fault
// fails the test rather than hangs it.
class DrivenCredentialsDialog : public CredentialsDialog {
public:
    using CredentialsDialog::CredentialsDialog;
    static constexpr INT_PTR kStuck = 99;
    std::vector<std::function<void(DrivenCredentialsDialog&)>> steps;
    std::vector<std::string> boxes;

    HWND Item(int id) const { return GetDlgItem(Window(), id); }
    void Post(UINT message, WPARAM wParam) const { PostMessageA(Window(), message, wParam, 0); }
    // Types `text` into control `id` key by key, at the caret.
    void Type(int id, const std::string& text) const {
        for (const char c : text) {
            SendMessageA(Item(id), WM_CHAR, static_cast<unsigned char>(c), 0);
        }
    }

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CredentialsDialog::OnInitDialog();
        SetTimer(Window(), kStepTimer, 20, nullptr);
        return result;
    }
    bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        if (message != WM_TIMER || wParam != kStepTimer) {
            return CredentialsDialog::RouteMessage(message, wParam, lParam, result);
        }
        HWND active = GetActiveWindow();
        if (++m_ticks > 500) {
            EndDialog(kStuck);
        } else if (active != nullptr && active != Window() && active != m_answeredBox) {
            m_answeredBox = active;
            const bool okOnly = GetDlgItem(active, IDOK) && !GetDlgItem(active, IDCANCEL) &&
                                !GetDlgItem(active, IDYES) && !GetDlgItem(active, IDNO);
            boxes.push_back(WindowText(active) + "|" + WindowText(GetDlgItem(active, 0xFFFF)) +
                            (okOnly ? "|OK" : "|other buttons") +
                            (GetWindow(active, GW_OWNER) == Window() ? "|dialog" : "|other owner"));
            PostMessageA(active, WM_COMMAND, IDOK, 0);
        } else if (active == Window() && m_next < steps.size()) {
            steps[m_next++](*this);
        }
        return true;
    }

private:
    static constexpr UINT_PTR kStepTimer = 41;
    std::size_t m_next = 0;
    int m_ticks = 0;
    HWND m_answeredBox = nullptr;
};

// The main window that the dialog is run from (on the About box's template): runs `work`
// once its modal loop runs, then ends.
class HostDialog : public Dialog {
public:
    explicit HostDialog(std::function<void()> work) : Dialog(IDD_ABOUTBOX), m_work(std::move(work)) {}

protected:
    BOOL OnInitDialog() override {
        PostMessageA(Window(), WM_APP, 0, 0);
        return Dialog::OnInitDialog();
    }
    bool RouteMessage(UINT message, WPARAM, LPARAM, INT_PTR&) override {
        if (message == WM_APP) {
            m_work();
            EndDialog(IDOK);
        }
        return message == WM_APP;
    }

private:
    std::function<void()> m_work;
};

class CredentialsDialogRun : public ::testing::Test, public Application {
protected:
    void SetUp() override { LoadProgramTexts(); }
    void TearDown() override {
        SetMainWindow(nullptr);
        ResetProgramTexts();
    }
    BOOL InitInstance() override {
        EXPECT_EQ(MainWindow()->DoModal(), IDOK);
        return FALSE;
    }

    // Runs `dialog` from the application's main window and gives DoModal's result;
    // `ownedByMain` tells whether that window owned the dialog.
    INT_PTR RunFromMainWindow(DrivenCredentialsDialog& dialog) {
        INT_PTR result = -1;
        HostDialog host([&] { result = dialog.DoModal(); });
        dialog.steps.insert(dialog.steps.begin(), [this, &host](DrivenCredentialsDialog& d) {
            ownedByMain = host.Window() != nullptr && GetWindow(d.Window(), GW_OWNER) == host.Window();
        });
        SetMainWindow(&host);
        Application::Run();
        return result;
    }

    bool ownedByMain = false;
};

TEST_F(CredentialsDialogRun, OpensWithTheGivenNameAnEmptyPasswordAndTheFocusOnThePassword) {
    ScriptedLogon logon({LogonOutcome::Accepted});
    DrivenCredentialsDialog dialog(logon);
    dialog.m_userName = "operator";
    std::string seen;  // user name edit | password edit | id of the focused control
    dialog.steps.push_back([&](DrivenCredentialsDialog& d) {
        seen = WindowText(d.Item(IDC_ACCOUNT_USER_EDIT)) + "|" +
               WindowText(d.Item(IDC_ACCOUNT_PASSWORD_EDIT)) + "|" +
               std::to_string(GetParent(GetFocus()) == d.Window() ? GetDlgCtrlID(GetFocus()) : 0);
        d.Post(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    });
    EXPECT_EQ(RunFromMainWindow(dialog), IDCANCEL);
    EXPECT_EQ(seen, "operator||1015");
    EXPECT_TRUE(ownedByMain);
}

// OK lets a pair through only by the check, which gets the fields as they stand; a refused
// pair gets the warning and keeps the dialog open with both fields as typed, and each further
// OK checks again.
TEST_F(CredentialsDialogRun, OkChecksTheTypedPairAndEndsOnlyWhenItIsNotRefused) {
    using O = LogonOutcome;
    const std::string warning = "Warning|" + LoadResourceString(IDS_INVALID_CREDENTIALS) + "|OK|dialog";
    EXPECT_EQ(warning, "Warning|The specified username and password is invalid.\n\n"
                       "Enter valid username and password.|OK|dialog");
    const struct {
        const char* what;
        const char* given;         // m_userName before DoModal
        const char* typedInFront;  // typed at the start of the name
        const char* password;      // typed into the empty password edit
        std::vector<O> answers;    // one OK per answer
        Pair expected;
        std::vector<std::string> boxes;
    } cases[] = {
        {"accepted, a domain typed in front", "operator", "OFFICE\\", "s3cret pass", {O::Accepted},
         {"OFFICE\\operator", "s3cret pass"}, {}},
        {"not allowed to test, empty password", "operator", "", "", {O::NotAllowedToTest},
         {"operator", ""}, {}},
        {"refused twice, then accepted", "", "nobody", "wrong", {O::Rejected, O::Rejected, O::Accepted},
         {"nobody", "wrong"}, {warning, warning}},
    };
    for (const auto& c : cases) {
        ScriptedLogon logon(c.answers);
        DrivenCredentialsDialog dialog(logon);
        dialog.m_userName = c.given;
        std::vector<Pair> fieldsAtRetry;  // the edits' texts when OK is pressed again
        dialog.steps.push_back([&](DrivenCredentialsDialog& d) {
            SendMessageA(d.Item(IDC_ACCOUNT_USER_EDIT), EM_SETSEL, 0, 0);
            d.Type(IDC_ACCOUNT_USER_EDIT, c.typedInFront);
            d.Type(IDC_ACCOUNT_PASSWORD_EDIT, c.password);
        });
        for (std::size_t i = 0; i < c.answers.size(); ++i) {
            dialog.steps.push_back([&, i](DrivenCredentialsDialog& d) {
                if (i > 0) {
                    fieldsAtRetry.emplace_back(WindowText(d.Item(IDC_ACCOUNT_USER_EDIT)),
                                               WindowText(d.Item(IDC_ACCOUNT_PASSWORD_EDIT)));
                }
                d.Post(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
            });
        }
        EXPECT_EQ(RunFromMainWindow(dialog), IDOK) << c.what;
        EXPECT_EQ(Pair(dialog.m_userName, dialog.m_password), c.expected) << c.what;
        EXPECT_EQ(logon.calls, std::vector<Pair>(c.answers.size(), c.expected)) << c.what;
        EXPECT_EQ(fieldsAtRetry, std::vector<Pair>(c.answers.size() - 1, c.expected)) << c.what;
        EXPECT_EQ(dialog.boxes, c.boxes) << c.what;
    }
}

// Cancel, Esc and the close box end the dialog at once, unchecked, and the password is gone.
TEST_F(CredentialsDialogRun, CancelEscAndTheCloseBoxEndWithoutACheck) {
    const std::pair<const char*, std::function<void(DrivenCredentialsDialog&)>> cases[] = {
        {"Cancel", [](DrivenCredentialsDialog& d) { d.Post(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)); }},
        {"Esc", [](DrivenCredentialsDialog&) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"WM_CLOSE", [](DrivenCredentialsDialog& d) { d.Post(WM_CLOSE, 0); }},
        {"SC_CLOSE", [](DrivenCredentialsDialog& d) { d.Post(WM_SYSCOMMAND, SC_CLOSE); }},
    };
    for (const auto& [what, close] : cases) {
        ScriptedLogon logon({LogonOutcome::Accepted});
        DrivenCredentialsDialog dialog(logon);
        dialog.m_userName = "operator";
        dialog.steps.push_back([](DrivenCredentialsDialog& d) { d.Type(IDC_ACCOUNT_PASSWORD_EDIT, "typed"); });
        dialog.steps.push_back(close);
        EXPECT_EQ(RunFromMainWindow(dialog), IDCANCEL) << what;
        EXPECT_TRUE(logon.calls.empty()) << what;
        EXPECT_TRUE(dialog.boxes.empty()) << what;
        EXPECT_EQ(dialog.m_password, "") << what;
    }
}

}  // namespace
