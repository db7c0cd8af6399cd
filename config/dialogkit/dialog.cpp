#include "dialog.h"

#include <algorithm>
#include <vector>

#include "application.h"
#include "resource_module.h"
#include "resource_types.h"
#include "template_data.h"

namespace {


bool IsCommandCode(WPARAM wParam) {
    // A button click (0) or an accelerator (1).
    return HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == 1;
}

}  // namespace

Dialog::Dialog(unsigned templateId, Dialog* parent) : m_templateId(templateId), m_parent(parent) {}

INT_PTR Dialog::DoModal() {
    m_templateModule = ModuleHolding(RT_DIALOG, m_templateId);
    if (m_templateModule == nullptr) {
        return -1;
    }
    return DialogBoxParamA(m_templateModule, MAKEINTRESOURCEA(m_templateId), OwnerWindow(),
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::WinHelp(DWORD_PTR, UINT) {}

BOOL Dialog::OnInitDialog() {
    ApplyInitData();
    DoDataExchange();
    return TRUE;
}

void Dialog::OnOK() { EndDialog(IDOK); }

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

bool Dialog::RouteMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->m_window = window;
        return dialog->InitDialog();
    }
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (dialog == nullptr) {
        return FALSE;  // messages before WM_INITDIALOG
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        dialog->m_window = nullptr;
        return FALSE;
    }
    return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = FALSE;
    if (RouteMessage(message, wParam, lParam, result)) {
        return result;
    }
    if (message != WM_COMMAND || !IsCommandCode(wParam)) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    case kHelpCommand:
        WinHelp(0, HELP_CONTEXT);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL Dialog::InitDialog() {
    RECT before{};
    GetWindowRect(m_window, &before);
    RestoreTemplateIcons();
    const BOOL result = OnInitDialog();
    // As the classic framework does: a dialog that did not place itself is centred.
    RECT after{};
    if (m_window != nullptr && GetWindowRect(m_window, &after) && EqualRect(&before, &after)) {
        CenterOnOwner();
    }
    return result;
}

HWND Dialog::OwnerWindow() const {
    if (m_parent != nullptr) {
        return m_parent->Window();
    }
    const Application* application = Application::Current();
    Dialog* main = application != nullptr ? application->MainWindow() : nullptr;
    return main != nullptr && main != this ? main->Window() : nullptr;
}

void Dialog::ApplyInitData() const {
    const ResourceBytes data =
        FindResourceBytes(MAKEINTRESOURCEA(RT_DIALOG_INIT_DATA), m_templateId);
    for (const DialogInitItem& item : ReadDialogInitData(data.data, data.size)) {
        SendDlgItemMessageA(m_window, item.controlId, item.message, 0,
                            reinterpret_cast<LPARAM>(item.text.c_str()));
    }
}

// The dialog manager looks the icons of a template's icon controls up in the template's
// module. When a resource library holds the template but not an icon, the control is made
// empty; it then gets the icon from wherever it is.
void Dialog::RestoreTemplateIcons() const {
    HRSRC resource = FindResourceA(m_templateModule, MAKEINTRESOURCEA(m_templateId), RT_DIALOG);
    HGLOBAL loaded = resource != nullptr ? LoadResource(m_templateModule, resource) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return;
    }
    const auto icons = ReadTemplateIconControls(static_cast<const std::uint8_t*>(bytes),
                                                SizeofResource(m_templateModule, resource));
    if (icons.empty()) {
        return;
    }
    // The controls were made in template order, which is their order among the children.
    std::vector<HWND> controls;
    for (HWND child = GetWindow(m_window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back(child);
    }
    for (const TemplateIconControl& icon : icons) {
        if (icon.itemIndex >= controls.size()) {
            break;
        }
        HWND control = controls[icon.itemIndex];
        if (SendMessageA(control, STM_GETICON, 0, 0) == 0) {
            if (HICON handle = LoadResourceIcon(icon.iconId)) {
                SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(handle), 0);
            }
        }
    }
}

void Dialog::CenterOnOwner() const {
    RECT self{};
    if (!GetWindowRect(m_window, &self)) {
        return;
    }
    HWND owner = GetWindow(m_window, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(owner != nullptr ? owner : m_window,
                                      MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    const RECT work = monitor.rcWork;
    RECT area = work;
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
        GetWindowRect(owner, &area);
    }
    const LONG width = self.right - self.left;
    const LONG height = self.bottom - self.top;
    LONG x = area.left + (area.right - area.left - width) / 2;
    LONG y = area.top + (area.bottom - area.top - height) / 2;
    // Keep the whole dialog on the monitor's work area.
    x = (std::max)(work.left, (std::min)(x, work.right - width));
    y = (std::max)(work.top, (std::min)(y, work.bottom - height));
    SetWindowPos(m_window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
