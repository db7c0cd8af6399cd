// The dialog layer under Wine: resources from a replaceable module, initialisation data,
// message maps, handlers that run a modal loop, message boxes and the help key. The
// dialogs are plain ones on the main dialog's template, with handlers that record what
// reaches them.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "application.h"
#include "controls.h"
#include "dialog.h"
#include "message_box.h"
#include "resource.h"
#include "resource_module.h"
#include "stand_ins.h"

namespace {

// `onInit` runs in its initialisation, `onApp` once its modal loop runs, `onTimer` on its
// timers, `onCancel` on a click of Cancel (false: the default handling, which ends it).
// Painting is counted and left to the dialog manager.
class ProbeDialog : public Dialog {
public:
    explicit ProbeDialog(unsigned templateId = IDD_MAIN_DIALOG) : Dialog(templateId) {}
    std::vector<std::string> log;
    std::function<void(ProbeDialog&)> onInit = [](ProbeDialog&) {}, onApp = onInit;
    std::function<void(ProbeDialog&, UINT_PTR)> onTimer = [](ProbeDialog&, UINT_PTR) {};
    std::function<bool(ProbeDialog&)> onCancel = [](ProbeDialog&) { return false; };
    int helpCalls = 0, paints = 0;
    ComboBoxControl choice;
    EditControl name;
    void WinHelp(DWORD_PTR, UINT) override { ++helpCalls; }

protected:
    BOOL OnInitDialog() override {
        Dialog::OnInitDialog();
        onInit(*this);
        PostMessageA(Window(), WM_APP, 0, 0);
        return TRUE;
    }
    void DoDataExchange() override {
        BindControl(choice, IDC_INTERVAL_COMBO);
        BindControl(name, IDC_PROFILE_USER_EDIT);
    }
    bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        return RouteThroughMap(kMessageMap, message, wParam, lParam, result);
    }

private:
    void OnChangeName() { log.push_back("name:" + name.Text()); }
    void OnSelchangeChoice() { log.push_back("choice:" + choice.Text()); }
    void OnTimer(UINT_PTR id) {
        log.push_back("timer:" + std::to_string(id));
        onTimer(*this, id);
    }
    void OnApp() { onApp(*this); }
    bool OnCancelClicked() { return onCancel(*this); }
    bool OnPaint() { return ++paints, false; }

    static constexpr MessageMapEntry<ProbeDialog> kMessageMap[] = {
        {WM_COMMAND, BN_CLICKED, IDCANCEL, &ProbeDialog::OnCancelClicked},
        {WM_PAINT, 0, 0, &ProbeDialog::OnPaint},
        {WM_COMMAND, EN_CHANGE, IDC_PROFILE_USER_EDIT, &ProbeDialog::OnChangeName},
        {WM_COMMAND, CBN_SELCHANGE, IDC_INTERVAL_COMBO, &ProbeDialog::OnSelchangeChoice},
        {WM_TIMER, 0, 0, &ProbeDialog::OnTimer},
        {WM_APP, 0, 0, &ProbeDialog::OnApp},
    };
};

// The tests' application object: Application::Run() runs its main window modally, with the
// help key watched.
class DialogLayer : public ::testing::Test, public Application {
protected:
    void TearDown() override {
        SetResourceModule(nullptr);
        SetMainWindow(nullptr);
    }
    BOOL InitInstance() override {
        EXPECT_EQ(MainWindow()->DoModal(), IDOK);
        return FALSE;
    }
};

// A resource library gives the strings it holds, whole whatever their length; the program
// gives the rest, an entry that the library leaves empty in a block it holds included, the
// icons that the library lacks, and a template's initialisation data and icons. The library
// is found beside the program.
TEST_F(DialogLayer, ResourcesComeFromTheLibraryOrElseFromTheProgram) {
    ASSERT_TRUE(UseResourceLibrary("ui_partial_lang.dll"));
    std::string longText;
    for (int i = 0; i < 14; ++i)
        longText += "[" + std::string(i < 10 ? "00" : "01") + std::to_string(i % 10) +
                    "] long text for the string loader; ";
    const std::pair<unsigned, std::string> cases[] = {
        {IDS_ERROR_CAPTION, "Fehler"}, {IDS_ABOUTBOX, "&About ..."},
        {IDS_NO_PROFILE, "No profile seleced.\n\nSelect a profile and try again."},
        {IDS_NO_CHECKING, "no checking set"}, {3000, longText}, {4000, ""}};
    for (const auto& [id, expected] : cases) EXPECT_EQ(LoadResourceString(id), expected) << id;
    EXPECT_NE(LoadResourceIcon(IDR_MAINFRAME), nullptr);
    EXPECT_EQ(LoadResourceIcon(4000), nullptr);

    ProbeDialog dialog;
    std::string seen;  // caption: list items, whether the icon control shows an icon
    dialog.onInit = [&seen](ProbeDialog& d) {
        seen = WindowText(d.Window()) + ":";
        const HWND list = d.choice.Window();
        for (WPARAM i = 0; i < static_cast<WPARAM>(SendMessageA(list, CB_GETCOUNT, 0, 0)); ++i) {
            char item[64] = {};
            SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            seen += " " + std::string(item) + ",";
        }
        seen += SendDlgItemMessageA(d.Window(), IDC_CHECK_STATIC, STM_GETICON, 0, 0) ? " icon"
                                                                                     : " none";
        PostMessageA(d.Window(), WM_COMMAND, IDOK, 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(seen,
              "Sonde: 1 minute, 2 minutes, 3 minutes, 4 minutes, 5 minutes, 6 minutes, 7 "
              "minutes, 8 minutes, 9 minutes, 10 minutes, 15 minutes, 20 minutes, 30 minutes, "
              "45 minutes, 60 minutes, disable checks, icon");
    EXPECT_EQ(ProbeDialog(4000).DoModal(), -1);  // in neither module
}

TEST_F(DialogLayer, TheMessageMapRoutesByMessageNotificationAndControl) {
    ProbeDialog dialog;
    dialog.onInit = [](ProbeDialog& d) {
        d.name.SetText("abc");  // the edit reports EN_CHANGE itself
        d.choice.SetCurSel(1);
        SendMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(IDC_INTERVAL_COMBO, CBN_SELCHANGE), 0);
        // Same control, other notification; other control, same notification: not handled.
        SendMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(IDC_INTERVAL_COMBO, CBN_DROPDOWN), 0);
        SendMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(IDC_PROFILE_USER_EDIT, CBN_SELCHANGE), 0);
        SetTimer(d.Window(), 7, 1, nullptr);
    };
    dialog.onTimer = [](ProbeDialog& d, UINT_PTR id) {
        KillTimer(d.Window(), id);
        d.EndDialog(55);
    };
    EXPECT_EQ(dialog.DoModal(), 55);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"name:abc", "choice:2 minutes", "timer:7"}));
}

// A Cancel handler that asks a question and keeps the dialog open is not overruled by the
// paint messages that the question's loop dispatched to the dialog meanwhile.
TEST_F(DialogLayer, AHandlerThatRunsAModalLoopKeepsItsOwnAnswer) {
    ProbeDialog dialog;
    int paintsDuringQuestion = 0;
    dialog.onApp = [](ProbeDialog& d) { SetTimer(d.Window(), 4, 50, nullptr); };  // once shown
    dialog.onCancel = [&](ProbeDialog& d) {
        const int before = d.paints;
        SetTimer(d.Window(), 5, 20, nullptr);
        EXPECT_EQ(ShowMessageBox(d.Window(), "Close?", "Confirmation", MessageKind::Question),
                  IDNO);
        KillTimer(d.Window(), 5);
        paintsDuringQuestion = d.paints - before;
        SetTimer(d.Window(), 6, 20, nullptr);
        return true;  // handled: the dialog stays open
    };
    dialog.onTimer = [](ProbeDialog& d, UINT_PTR id) {
        if (id != 5) KillTimer(d.Window(), id);
        if (id == 4) PostMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        if (id == 6) d.EndDialog(77);
        if (id == 5 && GetActiveWindow() != d.Window()) {
            // The question is up: the dialog under it is painted, then No is chosen.
            RedrawWindow(d.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            PostMessageA(GetActiveWindow(), WM_COMMAND, IDNO, 0);
        }
    };
    EXPECT_EQ(dialog.DoModal(), 77) << "the Cancel handler's answer was overruled";
    EXPECT_GT(paintsDuringQuestion, 0);
}

// A message box without an owner still disables the program's windows (task-modal). F1 in it
// asks the main window for help, unless Shift, Ctrl or Alt is held.
TEST_F(DialogLayer, MessageBoxesAreTaskModalAndF1InThemAsksForHelp) {
    for (const int modifier : {0, VK_SHIFT, VK_CONTROL, VK_MENU}) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[modifier] = 0x80;
        SetKeyboardState(keys);
        std::string seen;
        ProbeDialog main;
        main.onApp = [](ProbeDialog& d) {
            PostMessageA(d.Window(), WM_KEYDOWN, VK_F1, 0);  // read by the box's loop
            SetTimer(d.Window(), 1, 20, nullptr);
            EXPECT_EQ(ShowMessageBox(nullptr, "Delete?", "Confirmation", MessageKind::Question),
                      IDYES);
            KillTimer(d.Window(), 1);
            d.EndDialog(IDOK);
        };
        main.onTimer = [&seen](ProbeDialog& d, UINT_PTR) {
            HWND box = GetActiveWindow();
            if (box == d.Window() || !seen.empty()) return;
            seen = DescribeBox(box) +
                   (IsWindowEnabled(d.Window()) ? "|main enabled" : "|main disabled");
            PostMessageA(box, WM_COMMAND, IDYES, 0);
        };
        SetMainWindow(&main);
        Application::Run();
        keys[modifier] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(main.helpCalls, modifier == 0 ? 1 : 0) << "modifier " << modifier;
        EXPECT_EQ(seen, "Confirmation|Delete?|exclamation YesNo|main disabled")
            << "modifier " << modifier;
    }
}

}  // namespace
