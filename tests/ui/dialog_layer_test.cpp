// The dialog layer under Wine: resources from a replaceable module, initialisation data,
// message maps, modal children and their owner's timers, message boxes and the help key.
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
#include "probe_ids.h"
#include "resource.h"
#include "resource_module.h"

namespace {

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A dialog whose handlers record what reaches them. `onInit` runs in its initialisation,
// `onApp` once its modal loop runs, `onTimer` on its timers, `onCancel` on a click of Cancel
// (false: the default handling, which ends the dialog). Painting is counted and left to the
// dialog manager.
class ProbeDialog : public Dialog {
public:
    explicit ProbeDialog(unsigned templateId = IDD_PROBE) : Dialog(templateId) {}

    std::vector<std::string> log;
    std::function<void(ProbeDialog&)> onInit = [](ProbeDialog&) {};
    std::function<void(ProbeDialog&)> onApp = [](ProbeDialog&) {};
    std::function<void(ProbeDialog&, UINT_PTR)> onTimer = [](ProbeDialog&, UINT_PTR) {};
    std::function<bool(ProbeDialog&)> onCancel = [](ProbeDialog&) { return false; };
    int helpCalls = 0;
    int paints = 0;
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
        BindControl(choice, IDC_PROBE_CHOICE);
        BindControl(name, IDC_PROBE_NAME);
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
    bool OnPaint() {
        ++paints;
        return false;
    }

    static constexpr MessageMapEntry<ProbeDialog> kMessageMap[] = {
        {WM_COMMAND, BN_CLICKED, IDCANCEL, &ProbeDialog::OnCancelClicked},
        {WM_PAINT, 0, 0, &ProbeDialog::OnPaint},
        {WM_COMMAND, EN_CHANGE, IDC_PROBE_NAME, &ProbeDialog::OnChangeName},
        {WM_COMMAND, CBN_SELCHANGE, IDC_PROBE_CHOICE, &ProbeDialog::OnSelchangeChoice},
        {WM_TIMER, 0, 0, &ProbeDialog::OnTimer},
        {WM_APP, 0, 0, &ProbeDialog::OnApp},
    };
};

// The tests' application object: Application::Run() runs its main window modally, with the
// help key watched.
class DialogLayer : public ::testing::Test, public Application {
protected:
    void TearDown() override { SetResourceModule(nullptr); }
    BOOL InitInstance() override {
        EXPECT_EQ(MainWindow()->DoModal(), IDOK);
        return FALSE;
    }
};

// Strings are whole whatever their length. A resource library decides the strings of each
// block of 16 that it holds (an empty entry hides a text); the program gives the rest, and
// the icons that the library lacks.
TEST_F(DialogLayer, StringsAndIconsComeFromTheLibraryOrTheProgram) {
    const std::string text = LoadResourceString(IDS_PROBE_LONG);
    EXPECT_EQ(text.size(), 468u);
    EXPECT_EQ(text.substr(text.size() - 39), "[011] long text for the string loader; ");
    ASSERT_TRUE(UseResourceLibrary("ui_partial_lang.dll"));
    const std::pair<unsigned, const char*> cases[] = {
        {IDS_ERROR_CAPTION, "Fehler"}, {IDS_ABOUTBOX, ""}, {IDS_CLIENT_NOT_FOUND, ""},
        {IDS_NO_CHECKING, "no checking set"}, {4000, ""}};
    for (const auto& [id, expected] : cases) {
        EXPECT_EQ(LoadResourceString(id), expected) << id;
    }
    EXPECT_NE(LoadResourceIcon(IDR_MAINFRAME), nullptr);
    EXPECT_EQ(LoadResourceIcon(4000), nullptr);
}

// A library's template gets the program's initialisation data and icon when it lacks them.
TEST_F(DialogLayer, TemplatesComeFromTheLibraryWithTheProgramsDataAndIcons) {
    ASSERT_TRUE(UseResourceLibrary("ui_partial_lang.dll"));
    ProbeDialog dialog;
    std::string seen;  // caption, list items, whether the icon control shows an icon
    dialog.onInit = [&seen](ProbeDialog& d) {
        seen = WindowText(d.Window()) + ":";
        for (int i = 0; i < d.choice.GetCount(); ++i) {
            seen += " " + d.choice.ItemText(i);
        }
        HWND iconControl = GetWindow(d.name.Window(), GW_HWNDNEXT);
        seen += SendMessageA(iconControl, STM_GETICON, 0, 0) != 0 ? ", icon" : ", no icon";
        PostMessageA(d.Window(), WM_COMMAND, IDOK, 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(seen, "Sonde: alpha beta gamma, icon");
    EXPECT_EQ(ProbeDialog(4000).DoModal(), -1);  // in neither module
}

TEST_F(DialogLayer, TheMessageMapRoutesByMessageNotificationAndControl) {
    ProbeDialog dialog;
    dialog.onInit = [](ProbeDialog& d) {
        d.name.SetText("abc");  // the edit reports EN_CHANGE itself
        d.choice.SetCurSel(1);
        SendMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(IDC_PROBE_CHOICE, CBN_SELCHANGE), 0);
        // Same control, other notification; other control, same notification: not handled.
        SendMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(IDC_PROBE_CHOICE, CBN_DROPDOWN), 0);
        SendMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(IDC_PROBE_NAME, CBN_SELCHANGE), 0);
        SetTimer(d.Window(), 7, 1, nullptr);
    };
    dialog.onTimer = [](ProbeDialog& d, UINT_PTR id) {
        KillTimer(d.Window(), id);
        d.EndDialog(55);
    };
    EXPECT_EQ(dialog.DoModal(), 55);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"name:abc", "choice:beta", "timer:7"}));
}

// Each handler's answer is its own: a Cancel handler that asks a question and keeps the dialog
// open is not overruled by the paint messages that the question's loop dispatched to the
// dialog meanwhile, which leave their painting to the dialog manager.
TEST_F(DialogLayer, AHandlerThatRunsAModalLoopKeepsItsOwnAnswer) {
    constexpr UINT_PTR kClickTimer = 4, kAnswerTimer = 5, kEndTimer = 6;
    ProbeDialog dialog;
    int paintsDuringQuestion = 0;
    // The click comes once the dialog shows, so that it can be painted.
    dialog.onApp = [](ProbeDialog& d) { SetTimer(d.Window(), kClickTimer, 50, nullptr); };
    dialog.onCancel = [&](ProbeDialog& d) {
        const int before = d.paints;
        SetTimer(d.Window(), kAnswerTimer, 20, nullptr);
        EXPECT_EQ(ShowMessageBox(d.Window(), "Close?", "Confirmation", MessageKind::Question), IDNO);
        KillTimer(d.Window(), kAnswerTimer);
        paintsDuringQuestion = d.paints - before;
        SetTimer(d.Window(), kEndTimer, 20, nullptr);
        return true;  // handled: the dialog stays open
    };
    dialog.onTimer = [](ProbeDialog& d, UINT_PTR id) {
        if (id == kClickTimer) {
            KillTimer(d.Window(), kClickTimer);
            PostMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        } else if (id == kAnswerTimer) {
            // The question is up: the dialog under it is painted, then No is chosen.
            InvalidateRect(d.Window(), nullptr, TRUE);
            UpdateWindow(d.Window());
            HWND box = GetActiveWindow();
            if (box != d.Window()) {
                PostMessageA(box, WM_COMMAND, IDNO, 0);
            }
        } else if (id == kEndTimer) {
            KillTimer(d.Window(), kEndTimer);
            d.EndDialog(77);
        }
    };
    EXPECT_EQ(dialog.DoModal(), 77) << "the Cancel handler's answer was overruled";
    EXPECT_GT(paintsDuringQuestion, 0);
}

// A child dialog is owned by the main window, which is disabled meanwhile and whose timer
// keeps running in the child's modal loop.
TEST_F(DialogLayer, AChildIsOwnedByTheMainWindowWhoseTimerRunsMeanwhile) {
    int ticks = 0;
    ProbeDialog main, child;
    main.onApp = [&](ProbeDialog& d) {
        SetTimer(d.Window(), 111, 10, nullptr);
        child.onInit = [&](ProbeDialog& c) {
            EXPECT_EQ(GetWindow(c.Window(), GW_OWNER), d.Window());
            EXPECT_FALSE(IsWindowEnabled(d.Window()));
        };
        EXPECT_EQ(child.DoModal(), IDOK);
        d.EndDialog(IDOK);
    };
    main.onTimer = [&](ProbeDialog& d, UINT_PTR id) {
        if (id == 111 && ++ticks == 3) {
            KillTimer(d.Window(), 111);
            child.EndDialog(IDOK);
        }
    };
    SetMainWindow(&main);
    Application::Run();
    EXPECT_EQ(ticks, 3);
}

// A message box without an owner still disables the program's windows, and shows its caption,
// text and buttons. F1 in it asks the main window for help, unless Shift, Ctrl or Alt is held.
TEST_F(DialogLayer, MessageBoxesAreTaskModalAndF1InThemAsksForHelp) {
    for (const int modifier : {0, VK_SHIFT, VK_CONTROL, VK_MENU}) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[modifier] = 0x80;  // key 0 is none
        SetKeyboardState(keys);
        std::string seen;  // caption, text, buttons of the box, whether the main window was enabled
        ProbeDialog main;
        main.onApp = [&](ProbeDialog& d) {
            PostMessageA(d.Window(), WM_KEYDOWN, VK_F1, 0);  // read by the box's loop
            SetTimer(d.Window(), 1, 20, nullptr);
            EXPECT_EQ(ShowMessageBox(nullptr, "Delete?", "Confirmation", MessageKind::Question),
                      IDYES);
            KillTimer(d.Window(), 1);
            d.EndDialog(IDOK);
        };
        main.onTimer = [&](ProbeDialog& d, UINT_PTR) {
            HWND box = GetActiveWindow();
            if (box != d.Window()) {
                seen = WindowText(box) + ", " + WindowText(GetDlgItem(box, 0xFFFF)) +
                       (GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) ? ", Yes No" : "") +
                       (IsWindowEnabled(d.Window()) ? ", main enabled" : "");
                PostMessageA(box, WM_COMMAND, IDYES, 0);
            }
        };
        SetMainWindow(&main);
        Application::Run();
        keys[modifier] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(main.helpCalls, modifier == 0 ? 1 : 0) << "modifier " << modifier;
        EXPECT_EQ(seen, "Confirmation, Delete?, Yes No");
    }
}

}  // namespace
