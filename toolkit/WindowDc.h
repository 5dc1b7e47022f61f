// WindowDc: the DC of a window's client area from GetDC, or of the whole
// window with its frame from GetWindowDC, released on destruction (both must
// go back with ReleaseDC, never DeleteDC).
#pragma once

#include "foundation/Win32.h"

class WindowDc {
public:
    enum Area { clientArea, wholeWindow };
    explicit WindowDc(HWND window, Area area = clientArea)
        : window_(window), dc_(area == wholeWindow ? GetWindowDC(window) : GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

private:
    HWND window_;
    HDC dc_;
};
