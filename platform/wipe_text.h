#pragma once
// Wiping a text that held a password before it is dropped: the bytes are overwritten in a way
// the compiler may not leave out, then the text is emptied.
#include <windows.h>

#include <string>

template <typename Char>
void WipeText(std::basic_string<Char>& text) {
    SecureZeroMemory(text.data(), text.size() * sizeof(Char));
    text.clear();
}
