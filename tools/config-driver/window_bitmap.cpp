#include "window_bitmap.h"

#include "win_handles.h"

namespace {

void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
using UniqueScreenDc = UniqueResource<NullEmptyTraits<HDC, ReleaseScreenDc>>;
using UniqueMemoryDc = UniqueResource<NullEmptyTraits<HDC, DeleteDC>>;
using UniqueBitmap = UniqueResource<NullEmptyTraits<HBITMAP, DeleteObject>>;

// Writes the file header, the bitmap's header and its rows of `imageBytes` bytes.
bool WriteBmp(const std::string& file, BITMAPINFOHEADER& bitmapHeader, const void* bits,
              DWORD imageBytes) {
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof bitmapHeader;
    header.bfSize = header.bfOffBits + imageBytes;
    bitmapHeader.biSizeImage = imageBytes;
    const UniqueFile out(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return out && WriteFile(out.get(), &header, sizeof header, &written, nullptr) &&
           WriteFile(out.get(), &bitmapHeader, sizeof bitmapHeader, &written, nullptr) &&
           WriteFile(out.get(), bits, imageBytes, &written, nullptr);
}

}  // namespace

std::string SaveWindowBitmap(HWND window, const std::string& file) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return "empty window";
    // Have the program paint the whole window at once, then give the X server a moment.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(200);
    const UniqueScreenDc screen(GetDC(nullptr));
    const UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueBitmap bitmap(
        CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screen || !memory || !bitmap) return "no drawing surface";
    const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    const BOOL copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left,
                               rect.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(memory.get(), previous);
    if (!copied) return "BitBlt failed";
    // Each row of 3-byte pixels is padded to a multiple of 4 bytes.
    const DWORD rowBytes = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    if (!WriteBmp(file, info.bmiHeader, bits, rowBytes * static_cast<DWORD>(height))) {
        return "cannot write " + file;
    }
    return {};
}
