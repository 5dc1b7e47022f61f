// Q8diag.exe as a program: silent mode on standard output, the choice of mode
// by the first argument, the export called from a host that loads the
// executable as a library, and the crash handler's box.
#include "foundation/Win32.h"
#include "foundation/TestThread.h"

#include <gtest/gtest.h>

#include <cctype>
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
};

// Starts `commandLine` with its standard output on a pipe (or none at all),
// runs `whileRunning` with the process id, and waits for the end.  A process
// that does not end in time is ended here (it is ours) and reported.
RunResult run(const std::string& commandLine, bool withOutput = true,
              const std::function<void(DWORD)>& whileRunning = nullptr, DWORD timeout = 60000) {
    RunResult result;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (withOutput && !CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
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
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
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
    if (whileRunning) whileRunning(process.dwProcessId);
    if (WaitForSingleObject(process.hProcess, timeout) == WAIT_OBJECT_0) {
        result.finished = true;
        GetExitCodeProcess(process.hProcess, &result.exitCode);
    } else {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    }
    reader.join();
    if (readEnd) CloseHandle(readEnd);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
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

// Free disk and memory change between two runs: every run of digits
// becomes one '#', so that two reports of the same machine compare equal.
std::string masked(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(text[i]))) {
            if (out.empty() || out.back() != '#') out += '#';
        } else {
            out += text[i];
        }
    }
    return out;
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
    for (const char* line : {"Q8diag.exe \"\" silent", "Q8diag.exe \"silent\"", "\"Q8diag.exe\" silent extra"}) {
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
    for (const char* line : {"Q8diag.exe", "Q8diag.exe x silent", "Q8diag.exe Silent", "Q8diag.exe silentx"}) {
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

TEST(SilentExport, HostLoadsTheExecutableAndGetsTheReport) {
    const std::string reference = masked(silentReference());
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
        EXPECT_EQ(masked(result.output), expected) << "the same report as the silent program";
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

}  // namespace
