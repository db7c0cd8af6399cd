#include "controls.h"

#include "wipe_text.h"

std::string ControlWindow::Text() const {
    const int length = GetWindowTextLengthA(m_window);
    if (length <= 0) {
        return {};
    }
    // The length may be larger than the text (it can count a conversion's worst case).
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(m_window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

void ControlWindow::ReadSecretText(std::string& secret) const {
    WipeText(secret);
    const int length = GetWindowTextLengthA(m_window);
    if (length <= 0) {
        return;
    }
    // Growing from empty copies nothing, and the buffer given up was wiped above.
    secret.resize(static_cast<std::size_t>(length) + 1);
    const int copied = GetWindowTextA(m_window, secret.data(), length + 1);
    secret.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
}
