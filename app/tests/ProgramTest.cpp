// Q8diag.exe as a program: silent mode on standard output, the choice of mode
// by the first argument, the export called from a host that loads the
// executable as a library, and the crash handler's box.
#include "foundation/Win32.h"
#include "foundation/TestThread.h"
#include "report/tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string binFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

struct RunResult {
    bool finished = false;
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
    std::string debugOutput;   // what the process sent to the debugger, when debugged
};

// Acts as the process's debugger until it ends: collects its debugger output
// (the toolkit's trace and its leak report at exit) and hands every exception
// back to the process's own handlers.  Runs on the thread that created the
// process, as Windows requires.  A process still running at `deadline` is
// ended (it is ours).
void debugUntilExit(const PROCESS_INFORMATION& process, DWORD deadline, RunResult& result) {
    bool terminated = false, sawLoaderBreakpoint = false;
    for (;;) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 100)) {
            // Gone without its exit event, or no events at all: never wait
            // for what will not come.
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
                result.finished = !terminated;
                GetExitCodeProcess(process.hProcess, &result.exitCode);
                return;
            }
            const LONG late = static_cast<LONG>(GetTickCount() - deadline);
            if (late > 0 && !terminated) {
                TerminateProcess(process.hProcess, 99);
                terminated = true;
            }
            if (late > 10000) return;   // not finished
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            break;
        case OUTPUT_DEBUG_STRING_EVENT: {
            const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
            std::vector<char> text(info.nDebugStringLength + 1, 0);
            SIZE_T read = 0;
            if (!info.fUnicode && ReadProcessMemory(process.hProcess, info.lpDebugStringData, text.data(),
                                                    info.nDebugStringLength, &read))
                result.debugOutput.append(text.data(), std::strlen(text.data()));
            break;
        }
        case EXCEPTION_DEBUG_EVENT:
            // The loader's breakpoint is the debugger's; every other exception
            // is the program's to handle (its fault guards rely on that).
            if (event.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT &&
                !sawLoaderBreakpoint)
                sawLoaderBreakpoint = true;
            else
                status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            result.finished = !terminated;
            result.exitCode = event.u.ExitProcess.dwExitCode;
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
            return;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
}

struct RunOptions {
    bool withOutput = true;                    // false: no standard output at all
    std::function<void(DWORD)> whileRunning;   // called with the process id
    DWORD timeout = 60000;
    bool debugged = false;   // collect the debugger output
};

// Starts `commandLine` with its standard output on a pipe (or none at all),
// runs `whileRunning` with the process id, and waits for the end.  A process
// that does not end in time is ended here (it is ours) and reported.
RunResult run(const std::string& commandLine, const RunOptions& options) {
    RunResult result;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (options.withOutput && !CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
    if (readEnd) SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;   // null: the program has no standard output
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    const std::string folder = binFolder();
    const DWORD flags = options.debugged ? DEBUG_ONLY_THIS_PROCESS : 0;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr, folder.c_str(),
                        &startup, &process)) {
        if (readEnd) CloseHandle(readEnd);
        if (writeEnd) CloseHandle(writeEnd);
        return result;
    }
    if (writeEnd) CloseHandle(writeEnd);
    TestThread reader([&] {
        char buffer[4096];
        DWORD got = 0;
        while (readEnd && ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got)
            result.output.append(buffer, got);
    });
    if (options.debugged) {
        // This thread is the debugger, so the caller's steps run beside it.
        TestThread steps([&] {
            if (options.whileRunning) options.whileRunning(process.dwProcessId);
        });
        debugUntilExit(process, GetTickCount() + options.timeout, result);
        steps.join();
    } else {
        if (options.whileRunning) options.whileRunning(process.dwProcessId);
        if (WaitForSingleObject(process.hProcess, options.timeout) == WAIT_OBJECT_0) {
            result.finished = true;
            GetExitCodeProcess(process.hProcess, &result.exitCode);
        } else {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
        }
    }
    reader.join();
    if (readEnd) CloseHandle(readEnd);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

RunResult run(const std::string& commandLine, bool withOutput = true,
              const std::function<void(DWORD)>& whileRunning = nullptr, DWORD timeout = 60000) {
    RunOptions options;
    options.withOutput = withOutput;
    options.whileRunning = whileRunning;
    options.timeout = timeout;
    return run(commandLine, options);
}

struct WindowSearch {
    DWORD processId;
    const char* title;
    const char* className;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND w, LPARAM p) {
    WindowSearch* s = reinterpret_cast<WindowSearch*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    char text[256] = "", cls[256] = "";
    GetWindowTextA(w, text, sizeof(text));
    GetClassNameA(w, cls, sizeof(cls));
    if (owner == s->processId && IsWindowVisible(w) && std::string(text) == s->title &&
        (!s->className || std::string(cls) == s->className)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the process with the given title (and class,
// when given), waited for up to `timeout` ms.
HWND waitForWindow(DWORD processId, const char* title, const char* className, DWORD timeout = 20000) {
    WindowSearch search{processId, title, className, nullptr};
    const DWORD start = GetTickCount();
    while (!search.found && GetTickCount() - start < timeout) {
        EnumWindows(&matchWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(50);
    }
    return search.found;
}

int countLines(const std::string& text, const std::string& line) {
    int n = 0;
    for (size_t at = 0; (at = text.find("\r\n" + line + "\r\n", at)) != std::string::npos; at += 2) ++n;
    if (text.compare(0, line.size() + 2, line + "\r\n") == 0) ++n;
    return n;
}

void expectSilentReport(const std::string& output) {
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(output.substr(output.size() - 2), "\r\n");
    for (size_t at = 0; (at = output.find('\n', at)) != std::string::npos; ++at)
        ASSERT_TRUE(at > 0 && output[at - 1] == '\r') << "every line ends in CR LF, at " << at;
    EXPECT_EQ(countLines(output, "Paths"), 1);
    EXPECT_EQ(countLines(output, "ZQT plugins directory not found !"), 1) << "summary lines appear once";
    EXPECT_EQ(output.find("Q8diag, ver.: "), std::string::npos) << "no version line";
    EXPECT_EQ(output.find("------------- details follow"), std::string::npos) << "no separator";
    EXPECT_EQ(output.find("Report generating time"), std::string::npos) << "no time line";
    EXPECT_EQ(output.find("processing"), std::string::npos) << "no progress";
}

const std::string& silentReference() {
    static std::string reference;
    if (reference.empty()) reference = run("Q8diag.exe silent").output;
    return reference;
}

TEST(SilentProgram, ReportOnStandardOutputAndExitZero) {
    const RunResult result = run("Q8diag.exe silent");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0u);
    expectSilentReport(result.output);
}

TEST(SilentProgram, QuotesAroundOrBeforeTheArgumentStillSelectSilentMode) {
    for (const char* line :
         {"Q8diag.exe \"\" silent", "Q8diag.exe \"silent\"", "\"Q8diag.exe\" silent extra"}) {
        SCOPED_TRACE(line);
        const RunResult result = run(line);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0u);
        expectSilentReport(result.output);
    }
}

TEST(SilentProgram, WithoutStandardOutputTheLinesAreLostQuietly) {
    const RunResult result = run("Q8diag.exe silent", false);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0u);
}

TEST(InteractiveProgram, OtherFirstArgumentsStartTheWindowAndCloseEndsIt) {
    for (const char* line :
         {"Q8diag.exe", "Q8diag.exe x silent", "Q8diag.exe Silent", "Q8diag.exe silentx"}) {
        SCOPED_TRACE(line);
        bool shown = false;
        const RunResult result = run(line, true, [&](DWORD id) {
            HWND window = waitForWindow(id, "Q8 Diagnostics Tool", "myComponent");
            shown = window != nullptr;
            if (window) PostMessageA(window, WM_CLOSE, 0, 0);
        });
        EXPECT_TRUE(shown) << "the main window appears";
        ASSERT_TRUE(result.finished) << "WM_CLOSE ends the program";
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(result.output, "") << "nothing on standard output";
    }
}

struct ChildSearch {
    const char* text;
    HWND found;
};

BOOL CALLBACK matchChild(HWND w, LPARAM p) {
    ChildSearch* s = reinterpret_cast<ChildSearch*>(p);
    char text[64] = "";
    GetWindowTextA(w, text, sizeof(text));
    if (std::string(text) != s->text) return TRUE;
    s->found = w;
    return FALSE;
}

HWND childWithText(HWND parent, const char* text) {
    ChildSearch search{text, nullptr};
    EnumChildWindows(parent, &matchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Clicks Get Info as a user would, waits until the report has enabled Copy,
// and closes the window.
void reportAndClose(DWORD id, bool& reported) {
    HWND window = waitForWindow(id, "Q8 Diagnostics Tool", "myComponent");
    if (!window) return;
    HWND getInfo = childWithText(window, "Get\nInfo");
    HWND copy = childWithText(window, "Copy\nreport");
    if (getInfo && copy) {
        PostMessageA(getInfo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(getInfo, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        const DWORD start = GetTickCount();
        while (!IsWindowEnabled(copy) && GetTickCount() - start < 60000) Sleep(100);
        reported = IsWindowEnabled(copy) != FALSE;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
}

// Every pen and brush the toolkit hands out must be back by the time the
// application context goes: its leak report, sent to the debugger at exit,
// stays empty for a whole silent and a whole interactive run.  The probe that
// keeps one pen shows the report is seen at all.  The silent rows also run
// without any display (app_program_nodisplay_test), where Wine can make no
// window at all.
RunResult runDebugged(const char* command, const std::function<void(DWORD)>& whileRunning = nullptr) {
    RunOptions options;
    options.debugged = true;
    options.timeout = 120000;
    options.whileRunning = whileRunning;
    return run(command, options);
}

bool leakReported(const RunResult& result) {
    return result.debugOutput.find("Undeleted graphics resource") != std::string::npos;
}

TEST(LeakReport, EmptyAfterAWholeSilentRunAndSeenWhenSomethingLeaks) {
    struct Row {
        const char* command;
        bool leaks;
    };
    for (const Row& row : {Row{"Q8diag.exe silent", false}, Row{"crash_probe.exe leak-pen", true}}) {
        SCOPED_TRACE(row.command);
        const RunResult result = runDebugged(row.command);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(leakReported(result), row.leaks) << result.debugOutput.substr(0, 2000);
        EXPECT_EQ(result.debugOutput.find("called for non-existing handle"), std::string::npos);
    }
}

TEST(LeakReport, EmptyAfterAWholeInteractiveRun) {
    bool reported = false;
    const RunResult result = runDebugged("Q8diag.exe", [&](DWORD id) { reportAndClose(id, reported); });
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(reported) << "Get Info ran a report";
    EXPECT_FALSE(leakReported(result)) << result.debugOutput.substr(0, 2000);
    EXPECT_EQ(result.debugOutput.find("called for non-existing handle"), std::string::npos);
}

TEST(SilentExport, HostLoadsTheExecutableAndGetsTheReport) {
    const std::string reference = digitsMasked(silentReference());
    ASSERT_FALSE(reference.empty());
    struct Row {
        const char* arguments;
        DWORD result;   // 1 per call
        int reports;
    };
    const Row rows[] = {
        {"", 1, 1},
        {" moved", 1, 1},         // the preferred base is taken: the image must relocate itself
        {" moved twice", 2, 2},   // the second call finds everything done
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        const RunResult result = run(std::string("silent_host.exe Q8diag.exe") + row.arguments);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, row.result) << "100 and more: the host failed before the call";
        std::string expected;
        for (int i = 0; i < row.reports; ++i) expected += reference;
        EXPECT_EQ(digitsMasked(result.output), expected) << "the same report as the silent program";
    }
}

TEST(CrashHandler, ShowsItsBoxAndEndsTheProcessWithZero) {
    const std::string text =
        "Q8 Diagnostics Tool has problems with loading DLL found in your system.\n"
        "It closes now, but the log is saved into 'MyDocuments\\Q8diag,txt' file.";
    // (Wine's message box does not show MB_TOPMOST in its window style, so
    // the flag itself cannot be read back here.)
    // A fault, and a text block that cannot be had: the same box, not the C
    // runtime's abort message.
    for (const char* command : {"crash_probe.exe", "crash_probe.exe out-of-memory"}) {
        SCOPED_TRACE(command);
        std::string seen;
        const RunResult result = run(command, true, [&](DWORD id) {
            HWND box = waitForWindow(id, "Q8diag.exe", "#32770");
            if (!box) return;
            char buffer[512] = "";
            GetDlgItemTextA(box, 0xFFFF, buffer, sizeof(buffer));   // the message box's text control
            seen = buffer;
            EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr) << "no owner";
            EXPECT_TRUE(GetDlgItem(box, IDOK)) << "one OK button";
            EXPECT_FALSE(GetDlgItem(box, IDCANCEL));
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(seen, text);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0u) << "TerminateProcess with 0";
        EXPECT_EQ(result.output, "") << "nothing after the fault ran";
    }
}

}   // namespace
