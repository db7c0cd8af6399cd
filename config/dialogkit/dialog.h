#pragma once
// A modal dialog made from one template of the resource module. A derived class binds its
// control members in DoDataExchange and lists its handlers in a static constexpr message map,
// which its RouteMessage walks:
//
//   class MyDialog : public Dialog {
//       ...
//       bool RouteMessage(UINT m, WPARAM w, LPARAM l, INT_PTR& r) override {
//           return RouteThroughMap(kMessageMap, m, w, l, r);
//       }
//       void OnTimer(UINT_PTR id);
//       void OnChangeName();
//       bool OnPaint();  // false: the dialog manager paints
//       static constexpr MessageMapEntry<MyDialog> kMessageMap[] = {
//           {WM_TIMER, 0, 0, &MyDialog::OnTimer},
//           {WM_COMMAND, EN_CHANGE, IDC_NAME, &MyDialog::OnChangeName},
//           {WM_PAINT, 0, 0, &MyDialog::OnPaint},
//       };
//   };
//
// WM_COMMAND that no entry takes reaches OnOK (IDOK), OnCancel (IDCANCEL) or the application's
// help (kHelpCommand). The dialog object travels to its window through DialogBoxParamA's
// parameter and is kept in the window's DWLP_USER slot.
#include <windows.h>

#include <cstddef>
#include <variant>

#include "controls.h"

// The handler forms a message map accepts: commands take nothing, a system command its id and
// position, a timer its id; the drag-icon query gives the cursor. A handler that returns bool
// says whether it handled the message: false passes it on to the dialog manager's own
// handling. Each handler's answer is its own return value, so a handler that runs a nested
// modal loop (a message box, a child dialog) is not overruled by what the messages inside that
// loop asked for.
template <class D>
using MessageHandler = std::variant<void (D::*)(), bool (D::*)(), bool (D::*)(UINT, LPARAM),
                                    void (D::*)(UINT_PTR), HCURSOR (D::*)()>;

// One entry: the message, and for WM_COMMAND the notification code and the control id.
template <class D>
struct MessageMapEntry {
    UINT message;
    UINT notification;
    int controlId;
    MessageHandler<D> handler;
};

class Dialog {
public:
    // `parent` owns the dialog while it runs; without one the application's main window does
    // (unless this dialog is the main window itself).
    explicit Dialog(unsigned templateId, Dialog* parent = nullptr);
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally with its owner disabled meanwhile. Returns the result given to
    // EndDialog, or -1 when the template is in neither module or the dialog cannot be made.
    INT_PTR DoModal();

    // The dialog's window while it runs, else nullptr.
    HWND Window() const { return m_window; }

    // Ends the modal dialog; DoModal then returns `result`.
    void EndDialog(INT_PTR result) const { ::EndDialog(m_window, result); }

    // Shows help for the dialog. This one shows none.
    virtual void WinHelp(DWORD_PTR data, UINT command);

protected:
    // Initialisation: adds the items of the template's initialisation data to their list
    // controls, then binds the controls (DoDataExchange). Returns TRUE: the focus goes to the
    // first control with a tab stop.
    virtual BOOL OnInitDialog();
    // Binds control members to their controls with BindControl.
    virtual void DoDataExchange() {}
    // OK (also Enter): ends the dialog with IDOK.
    virtual void OnOK();
    // Cancel (also Esc and the close box): ends the dialog with IDCANCEL.
    virtual void OnCancel();

    // Offers a message to the derived class's message map; true when a handler took it, with
    // the dialog procedure's result in `result`.
    virtual bool RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    template <class D, std::size_t N>
    bool RouteThroughMap(const MessageMapEntry<D> (&map)[N], UINT message, WPARAM wParam,
                         LPARAM lParam, INT_PTR& result);

    // Binds `control` to the dialog's control `id`; a missing control leaves it unbound.
    void BindControl(ControlWindow& control, int id) const {
        control.Attach(GetDlgItem(m_window, id));
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL InitDialog();
    HWND OwnerWindow() const;
    void ApplyInitData() const;
    void RestoreTemplateIcons() const;
    void CenterOnOwner() const;

    unsigned m_templateId;
    Dialog* m_parent;
    HWND m_window = nullptr;
    HMODULE m_templateModule = nullptr;
};

template <class D, std::size_t N>
bool Dialog::RouteThroughMap(const MessageMapEntry<D> (&map)[N], UINT message, WPARAM wParam,
                             LPARAM lParam, INT_PTR& result) {
    D& self = static_cast<D&>(*this);
    for (const auto& entry : map) {
        if (entry.message != message) {
            continue;
        }
        if (message == WM_COMMAND && (HIWORD(wParam) != entry.notification ||
                                      LOWORD(wParam) != static_cast<WORD>(entry.controlId))) {
            continue;
        }
        result = TRUE;
        bool handled = true;
        if (const auto* plain = std::get_if<void (D::*)()>(&entry.handler)) {
            (self.**plain)();
        } else if (const auto* deciding = std::get_if<bool (D::*)()>(&entry.handler)) {
            handled = (self.**deciding)();
        } else if (const auto* command = std::get_if<bool (D::*)(UINT, LPARAM)>(&entry.handler)) {
            handled = (self.**command)(static_cast<UINT>(wParam), lParam);
        } else if (const auto* timer = std::get_if<void (D::*)(UINT_PTR)>(&entry.handler)) {
            (self.**timer)(static_cast<UINT_PTR>(wParam));
        } else if (const auto* cursor = std::get_if<HCURSOR (D::*)()>(&entry.handler)) {
            result = reinterpret_cast<INT_PTR>((self.**cursor)());
        }
        return handled;
    }
    return false;
}
