// Where things are in the program's main window, for scripts/demo, which
// presses buttons with xdotool and takes screenshots from outside Wine.
// Positions are asked of Windows: without a window manager Wine draws the
// caption and frame itself, so the client area's place on the X screen is
// only known on the Windows side.
//
//   demo-window find TITLE SECONDS
//       waits until a visible top-level window with that title exists;
//       prints its rectangle on the screen: X Y WIDTH HEIGHT
//   demo-window point TITLE X Y
//       prints the screen position of the client point (X, Y)
//   demo-window wait-enabled TITLE X Y SECONDS
//       waits until the innermost child window at client point (X, Y) is
//       enabled (a button the program enables when an action has finished)
//
// Exit code 0 on success, 1 when the window or the state did not come.
#include "foundation/Win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND findVisibleWindow(const char* title) {
    HWND window = FindWindowA(nullptr, title);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

HWND waitForWindow(const char* title, int seconds) {
    for (int waited = 0; waited <= seconds * 10; ++waited) {
        if (HWND window = findVisibleWindow(title)) return window;
        Sleep(100);
    }
    return nullptr;
}

// The innermost child under a client point; ChildWindowFromPointEx looks only
// one level down, so it is walked down the tree.  Disabled children count.
HWND innermostChildAt(HWND window, POINT point) {
    for (;;) {
        HWND child = ChildWindowFromPointEx(window, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (child == nullptr || child == window) return window;
        MapWindowPoints(window, child, &point, 1);
        window = child;
    }
}

}   // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "find") == 0) {
        HWND window = waitForWindow(argv[2], std::atoi(argv[3]));
        RECT rect;
        if (window == nullptr || !GetWindowRect(window, &rect)) return 1;
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        return 0;
    }
    if (argc == 5 && std::strcmp(argv[1], "point") == 0) {
        HWND window = findVisibleWindow(argv[2]);
        POINT point = {std::atol(argv[3]), std::atol(argv[4])};
        if (window == nullptr || !ClientToScreen(window, &point)) return 1;
        std::printf("%ld %ld\n", point.x, point.y);
        return 0;
    }
    if (argc == 6 && std::strcmp(argv[1], "wait-enabled") == 0) {
        const POINT point = {std::atol(argv[3]), std::atol(argv[4])};
        const int seconds = std::atoi(argv[5]);
        for (int waited = 0; waited <= seconds * 10; ++waited) {
            HWND window = findVisibleWindow(argv[2]);
            if (window == nullptr) return 1;
            HWND child = innermostChildAt(window, point);
            if (child != window && IsWindowEnabled(child)) return 0;
            Sleep(100);
        }
        return 1;
    }
    std::fprintf(stderr,
                 "usage: demo-window find TITLE SECONDS\n"
                 "       demo-window point TITLE X Y\n"
                 "       demo-window wait-enabled TITLE X Y SECONDS\n");
    return 2;
}
