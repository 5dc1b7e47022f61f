// Test helper: copies a screen rectangle into a 32-bit .bmp file, kept in the
// build tree for people to look at.  Returns the number of distinct colours
// captured (0 when the file could not be written), so a caller can check the
// capture shows its window rather than an empty screen.
#pragma once

#include "foundation/Win32.h"

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

inline size_t captureScreenToBmp(const RECT& r, const std::string& path) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return 0;
    HDC screen = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;   // bottom-up, as a .bmp file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP shot = CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(copy, shot);
    BitBlt(copy, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();

    const size_t count = static_cast<size_t>(w) * h;
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    size_t colours = pixels ? std::set<uint32_t>(pixels, pixels + count).size() : 0;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(count * 4);
    FILE* out = pixels ? std::fopen(path.c_str(), "wb") : nullptr;
    if (out) {
        std::fwrite(&file, sizeof(file), 1, out);
        std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out);
        std::fwrite(bits, 4, count, out);
        std::fclose(out);
        std::printf("screenshot: %s\n", path.c_str());
    } else {
        colours = 0;
    }
    SelectObject(copy, old);
    DeleteObject(shot);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    return colours;
}
