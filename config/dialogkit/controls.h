#pragma once
// Thin wrappers of a dialog's controls. Each holds the control's window handle and does not
// own the window: the dialog creates and destroys its controls. Every operation is one
// message to the control; on a wrapper that is not bound (the template lacks the control)
// the operations do nothing and read as empty.
#include <windows.h>

#include <string>

class ControlWindow {
public:
    void Attach(HWND window) { m_window = window; }
    HWND Window() const { return m_window; }

    // The control's whole text, whatever its length.
    std::string Text() const;
    // Replaces `secret` with the control's whole text, read straight into `secret`'s own
    // buffer: the old text is wiped first, and no other copy of the new one is made. For the
    // fields that hold a password.
    void ReadSecretText(std::string& secret) const;
    void SetText(const std::string& text) const { SetWindowTextA(m_window, text.c_str()); }
    void Enable(bool enable) const { EnableWindow(m_window, enable ? TRUE : FALSE); }
    void Show(bool show) const { ShowWindow(m_window, show ? SW_SHOW : SW_HIDE); }

protected:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(m_window, message, wParam, lParam);
    }

private:
    HWND m_window = nullptr;
};

class StaticControl : public ControlWindow {};

class EditControl : public ControlWindow {};

class ButtonControl : public ControlWindow {};

class ComboBoxControl : public ControlWindow {
public:
    // Adds an item (in its sorted place when the list is sorted); gives its index or CB_ERR.
    int AddString(const std::string& text) const {
        return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    // Selects the first item after `startAfter` (-1: from the top) whose text begins with
    // `prefix`, ignoring case; the selection stays as it was when none does. Gives the
    // selected index or CB_ERR.
    int SelectString(int startAfter, const std::string& prefix) const {
        return static_cast<int>(Send(CB_SELECTSTRING, static_cast<WPARAM>(startAfter),
                                     reinterpret_cast<LPARAM>(prefix.c_str())));
    }
    // Selects item `index`; -1 clears the selection.
    void SetCurSel(int index) const { Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
};
