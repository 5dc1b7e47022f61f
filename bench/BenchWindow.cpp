// bench-window: the benchmark's view of the program's main window from
// outside (the click itself comes from xdotool on the X server).
//
//   bench-window point TITLE X Y
//       waits up to 60 s for the visible top-level window TITLE; prints the
//       screen position of its client point (X, Y)
//   bench-window wait-report TITLE X Y SECONDS
//       waits until the child at client point (X, Y) (the repair button, which
//       the program enables when a report is complete) is enabled, then reads
//       the report's last line from the memo; prints the seconds of
//       "Report generating time: ", the memo's line count and this tool's own
//       wall-clock seconds from its start to the enabled button
//
// The enabled state is read without sending the program a message: while the
// report runs the program pumps no messages, and a message sent to it would
// only wait, or worse, be handled in the middle of the measurement.
#include "foundation/Win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND waitForWindow(const char* title, int seconds) {
    for (int waited = 0; waited <= seconds * 20; ++waited) {
        HWND window = FindWindowA(nullptr, title);
        if (window != nullptr && IsWindowVisible(window)) return window;
        Sleep(50);
    }
    return nullptr;
}

// ChildWindowFromPointEx looks one level down only: walk down the tree.
HWND innermostChildAt(HWND window, POINT point) {
    for (;;) {
        HWND child = ChildWindowFromPointEx(window, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (child == nullptr || child == window) return window;
        MapWindowPoints(window, child, &point, 1);
        window = child;
    }
}

BOOL CALLBACK findEdit(HWND child, LPARAM result) {
    char name[16];
    if (GetClassNameA(child, name, sizeof name) && _stricmp(name, "Edit") == 0) {
        *reinterpret_cast<HWND*>(result) = child;
        return FALSE;
    }
    return TRUE;
}

// The memo's line `line` (EM_GETLINE wants the buffer size in its first word).
bool memoLine(HWND memo, int line, char* buffer, WORD size) {
    DWORD_PTR length = 0;
    *reinterpret_cast<WORD*>(buffer) = WORD(size - 1);
    if (!SendMessageTimeoutA(memo, EM_GETLINE, WPARAM(line), LPARAM(buffer), SMTO_BLOCK, 10000, &length))
        return false;
    buffer[length < size ? length : size - 1] = 0;
    return true;
}

}   // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "point") == 0) {
        HWND window = waitForWindow(argv[2], 60);
        POINT point = {std::atol(argv[3]), std::atol(argv[4])};
        if (window == nullptr || !ClientToScreen(window, &point)) return 1;
        std::printf("%ld %ld\n", point.x, point.y);
        return 0;
    }
    if (argc == 6 && std::strcmp(argv[1], "wait-report") == 0) {
        const DWORD start = GetTickCount();
        HWND window = waitForWindow(argv[2], 10);
        if (window == nullptr) return 1;
        const POINT point = {std::atol(argv[3]), std::atol(argv[4])};
        const DWORD limit = DWORD(std::atoi(argv[5])) * 1000;
        HWND button = nullptr;
        for (;;) {
            button = innermostChildAt(window, point);
            if (button != window && IsWindowEnabled(button)) break;
            if (GetTickCount() - start > limit) return 1;
            Sleep(20);
        }
        const double wall = (GetTickCount() - start) / 1000.0;
        HWND memo = nullptr;
        EnumChildWindows(window, findEdit, LPARAM(&memo));
        if (memo == nullptr) return 1;
        // The time line is appended right after the button is enabled.
        static char line[4096];
        const char* const label = "Report generating time: ";
        for (int attempt = 0; attempt < 500; ++attempt) {
            DWORD_PTR lines = 0;
            SendMessageTimeoutA(memo, EM_GETLINECOUNT, 0, 0, SMTO_BLOCK, 10000, &lines);
            // The last line is the empty one after the time line's CR LF.
            for (int l = int(lines) - 1; l >= 0 && l >= int(lines) - 3; --l) {
                if (memoLine(memo, l, line, sizeof line) &&
                    std::strncmp(line, label, std::strlen(label)) == 0) {
                    std::printf("%s %lu %.3f\n", line + std::strlen(label), (unsigned long)lines, wall);
                    return 0;
                }
            }
            Sleep(20);
        }
        return 1;
    }
    std::fprintf(stderr,
                 "usage: bench-window point TITLE X Y\n"
                 "       bench-window wait-report TITLE X Y SECONDS\n");
    return 2;
}
