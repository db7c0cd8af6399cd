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
#include "program_texts.h"
#include "stand_ins.h"

namespace {

using Pair = std::pair<std::string, std::string>;

// Records each (user, password) it is asked about and gives the scripted answers in turn.
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

// Plays `steps` on a timer, one a tick while the dialog is the active window; a message box
// over it is recorded in `boxes` (with "|owned" when the dialog owns it) and answered OK.
// After ten seconds the dialog ends with 99, so that a fault fails the test rather than hangs.
class DrivenCredentialsDialog : public CredentialsDialog {
public:
    using CredentialsDialog::CredentialsDialog;
    std::vector<std::function<void(HWND)>> steps;
    std::vector<std::string> boxes;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CredentialsDialog::OnInitDialog();
        SetTimer(Window(), 41, 20, nullptr);
        return result;
    }
    bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        if (message != WM_TIMER || wParam != 41) {
            return CredentialsDialog::RouteMessage(message, wParam, lParam, result);
        }
        HWND active = GetActiveWindow();
        if (++m_ticks > 500) {
            EndDialog(99);
        } else if (active != nullptr && active != Window() && active != m_answeredBox) {
            m_answeredBox = active;
            boxes.push_back(DescribeBox(active) + (GetWindow(active, GW_OWNER) == Window() ? "|owned" : ""));
            PostMessageA(active, WM_COMMAND, IDOK, 0);
        } else if (active == Window() && m_next < steps.size()) {
            steps[m_next++](Window());
        }
        return true;
    }

private:
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
    void TearDown() override { SetMainWindow(nullptr); }
    BOOL InitInstance() override {
        EXPECT_EQ(MainWindow()->DoModal(), IDOK);
        return FALSE;
    }
};

void Type(HWND dialog, int id, const std::string& text) {
    for (const char c : text) SendDlgItemMessageA(dialog, id, WM_CHAR, static_cast<unsigned char>(c), 0);
}
void Post(HWND window, UINT message, WPARAM wParam) { PostMessageA(window, message, wParam, 0); }

// It opens with the given name, an empty password and the focus on the password, owned by the
// main window. OK lets a pair through only by the check, which gets the fields as they stand;
// a refused pair gets the warning and keeps the dialog open with both fields as typed, and
// each further OK checks again. Cancel, Esc and the close box end it at once, unchecked, and
// the password is gone.
TEST_F(CredentialsDialogRun, OpensPrefilledAndEndsOnlyByTheCheckOrByCancel) {
    using O = LogonOutcome;
    const std::string warning =
        "Warning|The specified username and password is invalid.\n\nEnter valid username and "
        "password.|exclamation OK|owned";
    const std::function<void(HWND)> ok = [](HWND d) { Post(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)); };
    const std::function<void(HWND)> cancel = [](HWND d) { Post(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)); };
    const std::function<void(HWND)> esc = [](HWND) { Post(GetFocus(), WM_KEYDOWN, VK_ESCAPE); };
    const std::function<void(HWND)> close = [](HWND d) { Post(d, WM_CLOSE, 0); };
    const std::function<void(HWND)> closeBox = [](HWND d) { Post(d, WM_SYSCOMMAND, SC_CLOSE); };
    const struct {
        const char* what;
        const char* given;         // m_userName before DoModal
        const char* typedInFront;  // typed at the start of the name
        const char* password;      // typed into the empty password edit
        std::vector<O> answers;    // one OK per answer
        const std::function<void(HWND)>& end;  // after the OKs
        INT_PTR result;
        Pair expected;  // m_userName, m_password afterwards
        std::vector<std::string> boxes;
    } cases[] = {
        {"accepted, a domain typed in front", "operator", "OFFICE\\", "s3cret pass", {O::Accepted},
         ok, IDOK, {"OFFICE\\operator", "s3cret pass"}, {}},
        {"not allowed to test, empty password", "operator", "", "", {O::NotAllowedToTest}, ok, IDOK,
         {"operator", ""}, {}},
        {"refused twice, then accepted", "", "nobody", "wrong", {O::Rejected, O::Rejected, O::Accepted},
         ok, IDOK, {"nobody", "wrong"}, {warning, warning}},
        {"Cancel", "operator", "", "typed", {}, cancel, IDCANCEL, {"operator", ""}, {}},
        {"Esc", "operator", "", "typed", {}, esc, IDCANCEL, {"operator", ""}, {}},
        {"WM_CLOSE", "operator", "", "typed", {}, close, IDCANCEL, {"operator", ""}, {}},
        {"close box", "operator", "", "typed", {}, closeBox, IDCANCEL, {"operator", ""}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedLogon logon(c.answers);
        DrivenCredentialsDialog dialog(logon);
        dialog.m_userName = c.given;
        HostDialog host([&] { EXPECT_EQ(dialog.DoModal(), c.result); });
        std::string opened;
        std::vector<Pair> fields;  // the edits' texts at each OK
        const auto text = [](HWND d, int id) { return WindowText(GetDlgItem(d, id)); };
        dialog.steps.push_back([&](HWND d) {
            opened = text(d, IDC_ACCOUNT_USER_EDIT) + "|" + text(d, IDC_ACCOUNT_PASSWORD_EDIT) + "|" +
                     std::to_string(GetDlgCtrlID(GetFocus())) +
                     (GetWindow(d, GW_OWNER) == host.Window() ? "|owned" : "|not owned");
            SendDlgItemMessageA(d, IDC_ACCOUNT_USER_EDIT, EM_SETSEL, 0, 0);
            Type(d, IDC_ACCOUNT_USER_EDIT, c.typedInFront);
            Type(d, IDC_ACCOUNT_PASSWORD_EDIT, c.password);
        });
        for (std::size_t i = 0; i < c.answers.size(); ++i) {
            dialog.steps.push_back([&](HWND d) {
                fields.emplace_back(text(d, IDC_ACCOUNT_USER_EDIT), text(d, IDC_ACCOUNT_PASSWORD_EDIT));
                ok(d);
            });
        }
        if (c.result == IDCANCEL) dialog.steps.push_back(c.end);
        SetMainWindow(&host);
        Application::Run();
        EXPECT_EQ(opened, std::string(c.given) + "||1015|owned");
        EXPECT_EQ(Pair(dialog.m_userName, dialog.m_password), c.expected);
        EXPECT_EQ(logon.calls, std::vector<Pair>(c.answers.size(), c.expected));
        EXPECT_EQ(fields, std::vector<Pair>(c.answers.size(), c.expected));
        EXPECT_EQ(dialog.boxes, c.boxes);
    }
}

}  // namespace
