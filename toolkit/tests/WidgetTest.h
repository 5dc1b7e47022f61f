// Shared fixture of the widget tests: a visible top-level host window on the
// test's display, message helpers that drive widgets the way Windows would
// (mouse, keys, timer ticks), and a check that every cached pen and brush a
// test's widgets took was given back.
#pragma once

#include "foundation/Win32.h"
#include "toolkit/ApplicationContext.h"
#include "toolkit/Component.h"

#include <gtest/gtest.h>

#include <string>

inline void pump() {
    MSG message;
    for (int round = 0; round < 4; ++round) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

inline size_t cachedGdiObjects() {
    ApplicationContext& app = application();
    return app.penCache().size() + app.dotPenCache().size() + app.brushCache().size();
}

inline LPARAM point(int x, int y) { return MAKELPARAM(x, y); }

// Mouse input as the window procedure gets it (the dispatcher sets and
// releases the capture itself).
inline void mouseDown(HWND w, int x, int y) { SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, point(x, y)); }
inline void dragTo(HWND w, int x, int y) { SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, point(x, y)); }
inline void hover(HWND w, int x, int y) { SendMessageA(w, WM_MOUSEMOVE, 0, point(x, y)); }
inline void mouseUp(HWND w, int x, int y) { SendMessageA(w, WM_LBUTTONUP, 0, point(x, y)); }
inline void keyDown(HWND w, unsigned vk) { SendMessageA(w, WM_KEYDOWN, vk, 1); }
inline void keyUp(HWND w, unsigned vk) { SendMessageA(w, WM_KEYUP, vk, 0xC0000001); }
// One tick of a widget's timer, without waiting for it.
inline void tick(HWND w, UINT_PTR id) { SendMessageA(w, WM_TIMER, id, 0); }
// Whether the window runs the timer; probing kills it, so use it last.
inline bool timerRunning(HWND w, UINT_PTR id) { return KillTimer(w, id) != FALSE; }

// A failure guard for tests that enter a modal loop: should the loop not end
// as the test expects, the quit flag ends it after a few seconds instead of
// hanging the run.  It never drives a test.
class ModalGuard {
public:
    ModalGuard() { timer_ = SetTimer(nullptr, 0, 5000, &ModalGuard::expired); }
    ~ModalGuard() {
        KillTimer(nullptr, timer_);
        application().clearQuit();
    }

private:
    static void CALLBACK expired(HWND, UINT, UINT_PTR, DWORD) { application().requestQuit(); }
    UINT_PTR timer_;
};

class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        baseline_ = cachedGdiObjects();
        // Hidden: without a window manager Wine waits two seconds for every
        // top-level window that was mapped to be unmapped again.  Tests that
        // need the screen show their own window.
        host = new Component("widget test", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 400, 300, nullptr);
        ASSERT_TRUE(host->handle());
        pump();
    }
    void TearDown() override {
        delete host;
        host = nullptr;
        pump();
        EXPECT_EQ(cachedGdiObjects(), baseline_) << "a widget kept a cached pen or brush";
    }
    Component* host = nullptr;

private:
    size_t baseline_ = 0;
};

// The window's own visibility bit (IsWindowVisible also needs every
// ancestor shown, and the host stays hidden).
inline bool shown(const Component* c) { return (c->style() & WS_VISIBLE) != 0; }

// Records how often a callback fired, and what the sender looked like then.
struct Counter {
    int count = 0;
    void hit() { ++count; }
};
