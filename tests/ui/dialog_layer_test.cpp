// The dialog layer under Wine: resources from a replaceable module, initialisation data,
// message maps, modal children and their owner's timers, and the help key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls.h"
#include "dialog.h"
#include "message_box.h"
#include "probe_ids.h"
#include "resource.h"
#include "resource_module.h"
#include "ui_test_support.h"

namespace {

// A dialog whose handlers record what reaches them; `onInit` and `onApp` script the test.
class ProbeDialog : public Dialog {
public:
    explicit ProbeDialog(Dialog* parent = nullptr) : Dialog(IDD_PROBE, parent) {}

    std::vector<std::string> log;
    std::vector<std::string> items;
    std::function<void(ProbeDialog&)> onInit;
    std::function<void(ProbeDialog&)> onApp;
    std::function<void(ProbeDialog&, UINT_PTR)> onTimer;
    int helpCalls = 0;
    ComboBoxControl choice;
    EditControl name;

    void WinHelp(DWORD_PTR, UINT) override { ++helpCalls; }

protected:
    BOOL OnInitDialog() override {
        Dialog::OnInitDialog();
        for (int i = 0; i < choice.GetCount(); ++i) {
            items.push_back(choice.ItemText(i));
        }
        if (onInit) {
            onInit(*this);
        }
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
        if (onTimer) {
            onTimer(*this, id);
        }
    }
    void OnApp() {
        if (onApp) {
            onApp(*this);
        }
    }

    static constexpr MessageMapEntry<ProbeDialog> kMessageMap[] = {
        {WM_COMMAND, EN_CHANGE, IDC_PROBE_NAME, &ProbeDialog::OnChangeName},
        {WM_COMMAND, CBN_SELCHANGE, IDC_PROBE_CHOICE, &ProbeDialog::OnSelchangeChoice},
        {WM_TIMER, 0, 0, &ProbeDialog::OnTimer},
        {WM_APP, 0, 0, &ProbeDialog::OnApp},
    };
};

class DialogLayer : public ::testing::Test {
protected:
    void TearDown() override { SetResourceModule(nullptr); }
    void UsePartialLang() { ASSERT_TRUE(UseResourceLibrary(PartialLangPath().c_str())); }
};

TEST_F(DialogLayer, StringsAreLoadedWholeAndMissingOnesAreEmpty) {
    const std::string text = LoadResourceString(IDS_PROBE_LONG);
    EXPECT_EQ(text.size(), 468u);
    EXPECT_EQ(text.substr(0, 6), "[000] ");
    const std::string last = "[011] long text for the string loader; ";
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
    EXPECT_EQ(LoadResourceString(IDS_NO_CHECKING), "no checking set");
    EXPECT_EQ(LoadResourceString(4000), "");
}

TEST_F(DialogLayer, AResourceLibraryDecidesTheStringsOfTheBlocksItHolds) {
    EXPECT_FALSE(UseResourceLibrary("NoSuchLibrary.dll"));
    EXPECT_EQ(ResourceModule(), ProgramModule());
    UsePartialLang();
    EXPECT_NE(ResourceModule(), ProgramModule());
    const struct {
        unsigned id;
        const char* text;
    } cases[] = {
        {IDS_ERROR_CAPTION, "Fehler"},      // from the library
        {IDS_ABOUTBOX, ""},                 // empty in the library: hidden, not replaced
        {IDS_CLIENT_NOT_FOUND, ""},         // the library's block has no such entry
        {IDS_NO_CHECKING, "no checking set"},  // a block the library lacks: the program's
        {IDS_CHECK_INTERVAL, "once per %s mins"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadResourceString(c.id), c.text) << c.id;
    }
    EXPECT_NE(LoadResourceIcon(IDR_MAINFRAME), nullptr);  // the library has no icons
    EXPECT_EQ(LoadResourceIcon(4000), nullptr);
}

TEST_F(DialogLayer, TemplatesComeFromTheLibraryWithTheProgramsDataAndIcons) {
    for (const bool withLibrary : {false, true}) {
        SetResourceModule(nullptr);
        if (withLibrary) {
            UsePartialLang();
        }
        ProbeDialog dialog;
        std::string caption;
        HICON icon = nullptr;
        dialog.onInit = [&](ProbeDialog& d) {
            caption = WindowText(d.Window());
            HWND iconControl = GetWindow(GetDlgItem(d.Window(), IDC_PROBE_NAME), GW_HWNDNEXT);
            icon = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
            PostMessageA(d.Window(), WM_COMMAND, IDOK, 0);
        };
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(caption, withLibrary ? "Sonde" : "Probe");
        EXPECT_EQ(dialog.items, (std::vector<std::string>{"alpha", "beta", "gamma"}));
        EXPECT_NE(icon, nullptr) << "library " << withLibrary;
    }
}

TEST_F(DialogLayer, ATemplateInNeitherModuleFailsCleanly) {
    class Missing : public Dialog {
    public:
        Missing() : Dialog(4000) {}
    } missing;
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(missing.Window(), nullptr);
}

TEST_F(DialogLayer, TheMessageMapRoutesByMessageNotificationAndControl) {
    ProbeDialog dialog;
    std::vector<UINT_PTR> timers;
    dialog.onInit = [](ProbeDialog& d) {
        d.name.SetText("abc");  // the edit reports EN_CHANGE itself
        d.choice.SetCurSel(1);
        SendMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(IDC_PROBE_CHOICE, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(d.choice.Window()));
        // Same control, other notification; other control, same notification: not handled.
        SendMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(IDC_PROBE_CHOICE, CBN_DROPDOWN), 0);
        SendMessageA(d.Window(), WM_COMMAND, MAKEWPARAM(IDC_PROBE_NAME, CBN_SELCHANGE), 0);
        SetTimer(d.Window(), 7, 1, nullptr);
    };
    dialog.onTimer = [&](ProbeDialog& d, UINT_PTR id) {
        KillTimer(d.Window(), id);
        timers.push_back(id);
        d.EndDialog(55);
    };
    EXPECT_EQ(dialog.DoModal(), 55);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"name:abc", "choice:beta"}));
    EXPECT_EQ(timers, std::vector<UINT_PTR>{7});
}

TEST_F(DialogLayer, OkEnterCancelEscAndTheCloseBoxEndTheDialog) {
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        bool toEdit;
        INT_PTR expected;
    };
    const Case cases[] = {
        {"OK", WM_COMMAND, IDOK, false, IDOK},
        {"Enter", WM_KEYDOWN, VK_RETURN, true, IDOK},
        {"Cancel", WM_COMMAND, IDCANCEL, false, IDCANCEL},
        {"Esc", WM_KEYDOWN, VK_ESCAPE, true, IDCANCEL},
        {"close box", WM_CLOSE, 0, false, IDCANCEL},
    };
    for (const auto& c : cases) {
        ProbeDialog dialog;
        dialog.onInit = [&c](ProbeDialog& d) {
            PostMessageA(c.toEdit ? d.name.Window() : d.Window(), c.message, c.wParam, 0);
        };
        EXPECT_EQ(dialog.DoModal(), c.expected) << c.what;
    }
}

// The main dialog's timer keeps running while a child dialog's modal loop runs; the child is
// owned by the main window and the main window is disabled meanwhile.
TEST_F(DialogLayer, AChildIsOwnedByTheMainWindowWhoseTimerRunsMeanwhile) {
    int ticks = 0;
    bool ownedByMain = false;
    BOOL mainEnabled = TRUE;
    INT_PTR childResult = 0;
    ProbeApplication application([&](ProbeApplication& app) {
        ProbeDialog main;
        app.SetMainWindow(&main);
        ProbeDialog child;
        main.onInit = [](ProbeDialog& d) { PostMessageA(d.Window(), WM_APP, 0, 0); };
        main.onApp = [&](ProbeDialog& d) {
            SetTimer(d.Window(), 111, 10, nullptr);
            child.onInit = [&](ProbeDialog& c) {
                ownedByMain = GetWindow(c.Window(), GW_OWNER) == d.Window();
                mainEnabled = IsWindowEnabled(d.Window());
            };
            childResult = child.DoModal();
            d.EndDialog(IDOK);
        };
        main.onTimer = [&](ProbeDialog& d, UINT_PTR id) {
            if (id == 111 && ++ticks == 3) {
                KillTimer(d.Window(), 111);
                child.EndDialog(IDOK);
            }
        };
        EXPECT_EQ(main.DoModal(), IDOK);
        app.SetMainWindow(nullptr);
    });
    EXPECT_EQ(application.Run(), 0);
    EXPECT_EQ(childResult, IDOK);
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(ownedByMain);
    EXPECT_FALSE(mainEnabled);
}

// F1 in a child dialog or a message box reaches the main window's help; with Shift, Ctrl or
// Alt held it does not.
TEST_F(DialogLayer, F1WithoutModifiersAsksTheMainWindowForHelp) {
    struct Case {
        const char* what;
        int modifier;  // virtual key held, 0 for none
        bool inMessageBox;
        int expectedHelp;
    };
    const Case cases[] = {
        {"F1 in a child dialog", 0, false, 1}, {"Shift+F1", VK_SHIFT, false, 0},
        {"Ctrl+F1", VK_CONTROL, false, 0},     {"Alt+F1", VK_MENU, false, 0},
        {"F1 in a message box", 0, true, 1},
    };
    for (const auto& c : cases) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        if (c.modifier != 0) {
            keys[c.modifier] = 0x80;
        }
        SetKeyboardState(keys);
        int help = -1;
        ProbeApplication application([&](ProbeApplication& app) {
            ProbeDialog main;
            app.SetMainWindow(&main);
            main.onInit = [](ProbeDialog& d) { PostMessageA(d.Window(), WM_APP, 0, 0); };
            main.onApp = [&](ProbeDialog& d) {
                if (c.inMessageBox) {
                    // Keys posted now are read by the message box's loop.
                    PostMessageA(d.Window(), WM_KEYDOWN, VK_F1, 0);
                    WhenModal closeBox([](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); });
                    ShowMessageBox(d.Window(), "text", "caption", MessageKind::Error);
                } else {
                    ProbeDialog child;
                    child.onInit = [](ProbeDialog& ch) {
                        PostMessageA(ch.name.Window(), WM_KEYDOWN, VK_F1, 0);
                        PostMessageA(ch.Window(), WM_COMMAND, IDCANCEL, 0);
                    };
                    child.DoModal();
                }
                d.EndDialog(IDOK);
            };
            main.DoModal();
            help = main.helpCalls;
            app.SetMainWindow(nullptr);
        });
        application.Run();
        keys[VK_SHIFT] = keys[VK_CONTROL] = keys[VK_MENU] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(help, c.expectedHelp) << c.what;
    }
}

// A message box without an owner still disables every window of the program while it shows.
TEST_F(DialogLayer, MessageBoxesAreTaskModalWithTheGivenCaptionTextAndButtons) {
    std::string caption;
    std::string text;
    BOOL mainEnabled = TRUE;
    bool hasYes = false;
    int answer = 0;
    ProbeDialog main;
    main.onInit = [](ProbeDialog& d) { PostMessageA(d.Window(), WM_APP, 0, 0); };
    main.onApp = [&](ProbeDialog& d) {
        WhenModal inspect([&](HWND box) {
            caption = WindowText(box);
            text = WindowText(GetDlgItem(box, 0xFFFF));
            hasYes = GetDlgItem(box, IDYES) != nullptr;
            mainEnabled = IsWindowEnabled(d.Window());
            PostMessageA(box, WM_COMMAND, IDYES, 0);
        });
        answer = ShowMessageBox(nullptr, "Delete?", "Confirmation", MessageKind::Question);
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(main.DoModal(), IDOK);
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(caption, "Confirmation");
    EXPECT_EQ(text, "Delete?");
    EXPECT_TRUE(hasYes);
    EXPECT_FALSE(mainEnabled);
}

}  // namespace
