// WindowDc: the DC of a window's client area from GetDC, released on
// destruction (a DC from GetDC must go back with ReleaseDC, never DeleteDC).
#pragma once

#include "foundation/Win32.h"

class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
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
