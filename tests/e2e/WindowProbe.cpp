// Looks at the program's windows from outside, the way the end-to-end driver
// needs it: which windows exist, where they are on the screen, which are
// visible and enabled, which one has the keyboard focus, and the whole text of
// an edit control.  It runs in the same Wine prefix as the program, so the
// handles it prints are the program's own.
//
//   window_probe dump TITLE       every top-level window of the process that
//                                 owns the window titled TITLE, with all its
//                                 children (one line each, see dumpWindow),
//                                 after a line "focus F active A foreground G"
//   window_probe text HWND        the control's whole text, byte for byte
//   window_probe close HWND       posts WM_CLOSE (the end of a test run)
//   window_probe closebox HWND    posts what a click on the close box sends
//                                 (WM_SYSCOMMAND SC_CLOSE); without a window
//                                 manager Wine draws no caption to click on
//   window_probe move HWND X Y    moves a top-level window, as dragging its
//                                 caption would
//
// Exit code 0; 2 when the window is not there; 3 when the window's thread
// does not answer (it is busy with a report and pumps no messages).
#include "foundation/Win32.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace {

// Text fields go on one line: backslash, CR, LF and TAB are escaped.
std::string escaped(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        switch (*p) {
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += *p;
        }
    }
    return out;
}

HWND parseHandle(const char* text) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(text, nullptr, 0)));
}

// One line per window: depth, handle, parent, class, style, visible, enabled,
// the window rectangle and the client rectangle on the screen, and its title.
// GetWindowTextA of another process's window reads the stored title without
// sending WM_GETTEXT, so a busy program never blocks the dump.
void dumpWindow(HWND window, int depth) {
    char className[128] = "";
    char title[512] = "";
    GetClassNameA(window, className, sizeof(className));
    GetWindowTextA(window, title, sizeof(title));
    RECT frame{}, client{};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("%d\t%#lx\t%#lx\t%s\t%#lx\t%d\t%d\t%ld %ld %ld %ld\t%ld %ld %ld %ld\t%s\n", depth,
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)),
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(GetParent(window))), className,
                static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                IsWindowVisible(window) ? 1 : 0, IsWindowEnabled(window) ? 1 : 0, frame.left, frame.top,
                frame.right, frame.bottom, origin.x, origin.y, origin.x + client.right,
                origin.y + client.bottom, escaped(title).c_str());
    // Children in Z order, which for these windows is creation order.
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        dumpWindow(child, depth + 1);
}

struct ProcessWindows {
    DWORD processId;
};

BOOL CALLBACK dumpIfOwned(HWND window, LPARAM context) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == reinterpret_cast<ProcessWindows*>(context)->processId) dumpWindow(window, 0);
    return TRUE;
}

int dump(const char* title) {
    HWND main = FindWindowA(nullptr, title);
    if (!main) return 2;
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(main, &processId);
    // The focus belongs to the program's thread; GetFocus here would only see ours.
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(threadId, &info);
    std::printf("focus %#lx active %#lx foreground %#lx\n",
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(info.hwndFocus)),
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(info.hwndActive)),
                static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(GetForegroundWindow())));
    ProcessWindows context{processId};
    EnumWindows(dumpIfOwned, reinterpret_cast<LPARAM>(&context));
    return 0;
}

int text(HWND window) {
    if (!IsWindow(window)) return 2;
    // A program busy with a report pumps no messages: give up after a while
    // instead of hanging, and let the driver ask again.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return 3;
    std::string buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&buffer[0]),
                             SMTO_ABORTIFHUNG, 5000, &copied))
        return 3;
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(buffer.data(), 1, copied, stdout);
    return 0;
}

}   // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_probe dump TITLE | text HWND | close HWND | closebox HWND\n");
        return 1;
    }
    const std::string command = argv[1];
    int status = 1;
    if (command == "dump")
        status = dump(argv[2]);
    else if (command == "text")
        status = text(parseHandle(argv[2]));
    else if (command == "closebox")
        status = PostMessageA(parseHandle(argv[2]), WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 2;
    else if (command == "move" && argc >= 5)
        status = SetWindowPos(parseHandle(argv[2]), nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                              SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                     ? 0
                     : 2;
    else if (command == "close")
        status = PostMessageA(parseHandle(argv[2]), WM_CLOSE, 0, 0) ? 0 : 2;
    std::fflush(stdout);
    return status;
}
