#pragma once
// The driver's screenshots: a window's pixels as the screen shows them, in a 24-bit BMP file.
#include <windows.h>

#include <string>

// Has the window painted whole, copies its rectangle from the screen and writes it to `file`
// as an uncompressed 24-bit bottom-up BMP. Gives what went wrong, or an empty text.
std::string SaveWindowBitmap(HWND window, const std::string& file);
