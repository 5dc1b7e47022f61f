// The report document and driver: silent output on the standard-output
// handle, the Paths block for every combination of the two plug-in paths,
// the interactive log file and lists, and what a killed report leaves behind.
// Runs in a prefix of its own because it rewrites HKLM\Software\ZQT.
#include "foundation/Win32.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/DynamicCalls.h"
#include "foundation/RegistryKey.h"
#include "report/GenerateReport.h"
#include "inventory/PathsSection.h"
#include "report/ReportDocument.h"
#include "report/tests/TestSupport.h"

namespace {

const char kNotFound[] = "ZQT plugins directory not found !";
const char kDifferent[] = "ZQT paths in the registry different from the variable !";

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; });
    return text;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; });
    return text;
}

std::string windowsDirectoryText() {
    char buffer[1024] = {};
    GetWindowsDirectoryA(buffer, sizeof buffer);
    return buffer;
}

std::string systemDirectoryText() {
    char buffer[1024] = {};
    GetSystemDirectoryA(buffer, sizeof buffer);
    return buffer;
}

std::vector<std::string> toVector(const TextList& list) {
    std::vector<std::string> lines;
    for (unsigned i = 0; i < list.count(); ++i) lines.push_back(list.get(i).c_str());
    return lines;
}

size_t countOf(const std::vector<std::string>& lines, const std::string& line) {
    return (size_t)std::count(lines.begin(), lines.end(), line);
}

// Puts the plug-in paths where loadPluginPaths reads them.  A null registry
// value removes the whole "Software\ZQT" key; a null variable unsets it.
void setPluginPaths(const char* registryValue, const char* variableValue) {
    RegistryKey software(HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS);
    ASSERT_TRUE(software.openSubKey("Software", false, KEY_ALL_ACCESS));
    software.deleteKeyTree("ZQT");
    if (registryValue) {
        RegistryKey zqt(HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS);
        ASSERT_TRUE(zqt.openSubKey("Software\\ZQT", true, KEY_ALL_ACCESS));
        ASSERT_TRUE(zqt.writeString("SearchPath", registryValue));
    }
    SetEnvironmentVariableA("ZQT_PLUGIN_PATH", variableValue);
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        pluginFolder_ = scratchDirectory() + "\\Plugin Folder";
        otherFolder_ = scratchDirectory() + "\\Other Plugins";
        CreateDirectoryA(pluginFolder_.c_str(), nullptr);
        CreateDirectoryA(otherFolder_.c_str(), nullptr);
        char shortPath[MAX_PATH] = {};
        GetShortPathNameA(pluginFolder_.c_str(), shortPath, sizeof shortPath);
        shortPluginFolder_ = shortPath;
        char longPath[MAX_PATH] = {};
        GetLongPathNameA(pluginFolder_.c_str(), longPath, sizeof longPath);
        pluginFolderStored_ = upper(longPath);
        GetLongPathNameA(otherFolder_.c_str(), longPath, sizeof longPath);
        otherFolderStored_ = upper(longPath);
    }
    void TearDown() override { setPluginPaths(nullptr, nullptr); }

    std::string pluginFolder_, otherFolder_, shortPluginFolder_;
    std::string pluginFolderStored_, otherFolderStored_;
};

TEST_F(ReportTest, PathsSectionForEachCombinationOfPluginPaths) {
    enum Value { None, Plugin, PluginShortLower, PluginMixedCase, Other, Missing };
    struct Case {
        const char* name;
        Value registry, variable;
        Value shownRegistry, shownVariable;
        std::vector<std::string> warnings;
    } cases[] = {
        {"neither set", None, None, None, None, {kNotFound}},
        {"only the registry", Plugin, None, Plugin, None, {kDifferent}},
        {"only the variable", None, Plugin, None, Plugin, {kDifferent}},
        {"same folder, short form and other case", PluginShortLower, PluginMixedCase, Plugin, Plugin, {}},
        {"registry names a missing folder", Missing, None, None, None, {kNotFound}},
        {"registry missing, variable set", Missing, Other, None, Other, {kDifferent}},
        {"two different folders", Plugin, Other, Plugin, Other, {kDifferent}},
    };
    ASSERT_NE(upper(shortPluginFolder_), pluginFolderStored_) << "no 8.3 form to test with";

    auto input = [&](Value v) -> std::string {
        switch (v) {
        case Plugin:
            return pluginFolder_;
        case PluginShortLower:
            return lower(shortPluginFolder_);
        case PluginMixedCase: {
            std::string text = pluginFolder_;
            for (size_t i = 0; i < text.size(); i += 2) text[i] = (char)toupper((unsigned char)text[i]);
            return text;
        }
        case Other:
            return otherFolder_;
        case Missing:
            return scratchDirectory() + "\\No Such Folder";
        default:
            return "";
        }
    };
    auto shown = [&](Value v) -> std::string {
        return v == Plugin ? pluginFolderStored_ : v == Other ? otherFolderStored_ : "";
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string registry = input(c.registry), variable = input(c.variable);
        setPluginPaths(c.registry == None ? nullptr : registry.c_str(),
                       c.variable == None ? nullptr : variable.c_str());

        std::string expected = "\r\nPaths\r\n";
        expected += "   Windows directory=\"" + windowsDirectoryText() + "\"\r\n";
        expected += "   System directory=\"" + systemDirectoryText() + "\"\r\n";
        expected += "   ZQT registry path=\"" + shown(c.shownRegistry) + "\"\r\n";
        expected += "   ZQT variable path=\"" + shown(c.shownVariable) + "\"\r\n";
        for (const std::string& warning : c.warnings) expected += warning + "\r\n";

        ReportDocument silent(true);
        EXPECT_EQ(expected, captureStandardOutput([&] {
                      writePathsSection(silent, silent.pluginRegistryPath(), silent.pluginVariablePath());
                  }));
        EXPECT_EQ(0u, silent.detailLines().count());

        // The same block in interactive mode: warnings once in the summary,
        // once among the details; nothing on standard output.
        ReportDocument interactive(false);
        EXPECT_EQ("", captureStandardOutput([&] {
                      writePathsSection(interactive, interactive.pluginRegistryPath(),
                                        interactive.pluginVariablePath());
                  }));
        EXPECT_EQ(c.warnings, toVector(interactive.summaryLines()));
        EXPECT_EQ(crlfLines(expected), toVector(interactive.detailLines()));
    }
}

TEST_F(ReportTest, SilentReportGoesToStandardOutputOnly) {
    setPluginPaths(nullptr, nullptr);
    const std::string logPath = ReportDocument(true).logFilePath().c_str();
    writeWholeFile(logPath, "an old report\r\n");

    const std::string output = runCaptured("\"" + programDirectory() + "\\report_runner.exe\"");
    const std::vector<std::string> lines = crlfLines(output);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ("", lines[0]);
    EXPECT_EQ("OS details:", lines[1]);
    EXPECT_EQ(1u, countOf(lines, "Paths"));
    EXPECT_EQ(1u, countOf(lines, kNotFound));
    EXPECT_EQ(0u, countOf(lines, kDifferent));
    // In its place: right after the two path lines of the Paths block.
    const auto paths = std::find(lines.begin(), lines.end(), "Paths");
    const auto warning = std::find(lines.begin(), lines.end(), kNotFound);
    EXPECT_EQ(5, warning - paths);
    EXPECT_LT(std::find(lines.begin(), lines.end(), "Supported language groups:"), paths);
    // No summary block, separator or time line in silent output.
    EXPECT_EQ(std::string::npos, output.find("details follow"));
    EXPECT_EQ(std::string::npos, output.find("Report generating time"));
    // The old log is deleted and no new one written.
    EXPECT_FALSE(pathExists(logPath));
}

TEST_F(ReportTest, DocumentsFolderLogPath) {
    char documents[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, documents);
    EXPECT_STREQ((std::string(documents) + "\\Q8diag.txt").c_str(),
                 ReportDocument(false).logFilePath().c_str());
}

HRESULT WINAPI noFolder(HWND, int, HANDLE, DWORD, LPSTR path) {
    path[0] = 0;
    return E_FAIL;
}

// A system that names no documents folder: no log at all, and above all no
// "\Q8diag.txt" at the root of the current drive deleted or written; the
// report itself is complete.
TEST_F(ReportTest, NoDocumentsFolderMeansNoLog) {
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    const std::string rootFile = std::string(current).substr(0, 2) + "\\Q8diag.txt";
    writeWholeFile(rootFile, "somebody else's file\r\n");

    DynamicCalls& calls = dynamicCallsForTesting();
    const auto saved = calls.shGetFolderPathA;
    calls.shGetFolderPathA = noFolder;
    {
        ReportDocument document(false);
        EXPECT_STREQ("", document.logFilePath().c_str());
        document.appendLine("a line", true);
        EXPECT_EQ(std::vector<std::string>{"a line"}, toVector(document.detailLines()));
        EXPECT_EQ(std::vector<std::string>{"a line"}, toVector(document.summaryLines()));
    }
    calls.shGetFolderPathA = saved;

    EXPECT_EQ("somebody else's file\r\n", readWholeFile(rootFile));
    DeleteFileA(rootFile.c_str());
}

TEST_F(ReportTest, LogFileIsOpenedForEachLineAndShared) {
    ReportDocument document(false);
    const std::string logPath = document.logFilePath().c_str();

    document.appendLine("first", false);
    // Closed again after the line: an exclusive open succeeds.
    HANDLE exclusive = CreateFileA(logPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, exclusive);
    // While someone holds it exclusively the line is not logged, but kept.
    document.appendLine("while locked", true);
    CloseHandle(exclusive);

    // Another program that has it open for writing, sharing reading and
    // writing (an editor, a second instance), does not stop the log.
    HANDLE writer = CreateFileA(logPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    document.appendLine("   third", false);
    CloseHandle(writer);

    EXPECT_EQ("first\r\n   third\r\n", readWholeFile(logPath));
    EXPECT_EQ((std::vector<std::string>{"first", "while locked", "   third"}),
              toVector(document.detailLines()));
    EXPECT_EQ(std::vector<std::string>{"while locked"}, toVector(document.summaryLines()));

    document.clearReport();
    EXPECT_EQ(0u, document.detailLines().count());
    EXPECT_EQ(0u, document.summaryLines().count());
    EXPECT_EQ("first\r\n   third\r\n", readWholeFile(logPath)) << "clearing leaves the log alone";
}

TEST_F(ReportTest, SilentLinesWithoutStandardOutputAreLostQuietly) {
    ReportDocument document(true);
    HANDLE previous = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    document.appendLine("nowhere to go", true);
    SetStdHandle(STD_OUTPUT_HANDLE, previous);
    EXPECT_EQ(0u, document.detailLines().count());
    EXPECT_EQ(0u, document.summaryLines().count());
    EXPECT_FALSE(pathExists(document.logFilePath().c_str()));
}

// Records what the driver asks of the window, in order.
class RecordingWindow : public ReportView, public ReportOwner {
public:
    std::vector<std::string> events;
    std::vector<UINT> errorModes;   // the error mode seen at each progress call
    DWORD elapsedStart = 0;
    unsigned progressCalls = 0;
    std::vector<std::string> renderedDetails;

    void clearView() override { events.push_back("clear"); }
    void updateProgress() override {
        if (events.empty() || events.back() != "progress") events.push_back("progress");
        ++progressCalls;
        const UINT mode = SetErrorMode(0);
        SetErrorMode(mode);
        errorModes.push_back(mode);
    }
    void renderReport(const ReportDocument& document) override {
        events.push_back("render");
        renderedDetails = toVector(document.detailLines());
    }
    void appendElapsedTime(DWORD startTick) override {
        events.push_back("elapsed");
        elapsedStart = startTick;
    }
    void setReportCursor(HCURSOR cursor) override {
        events.push_back(cursor == LoadCursorA(nullptr, IDC_WAIT) ? "wait cursor"
                         : cursor == nullptr                      ? "default cursor"
                                                                  : "other cursor");
    }
    void enableReportButtons() override { events.push_back("buttons"); }
};

std::string joinCrlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

TEST_F(ReportTest, InteractiveReportsKeepTheLogAndOnlyTheLastReportInTheLists) {
    setPluginPaths(pluginFolder_.c_str(), nullptr);
    const std::string logPath = ReportDocument(true).logFilePath().c_str();
    writeWholeFile(logPath, "an old report\r\n");

    ReportDocument document(false);
    EXPECT_FALSE(pathExists(logPath)) << "the log file is deleted at construction";
    RecordingWindow window;
    document.attachView(&window);
    document.attachOwner(&window);

    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    const DWORD before = GetTickCount();
    std::string standardOutput = captureStandardOutput([&] { generateReport(document); });
    const std::vector<std::string> first = toVector(document.detailLines());
    const std::vector<std::string> expectedEvents = {"wait cursor",    "clear",   "progress", "render",
                                                     "default cursor", "buttons", "elapsed"};
    EXPECT_EQ(expectedEvents, window.events);
    EXPECT_EQ(first.size(), window.progressCalls);
    EXPECT_EQ(first, window.renderedDetails);
    EXPECT_GE(window.elapsedStart, before);
    for (UINT mode : window.errorModes)
        EXPECT_EQ((UINT)(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX), mode);
    const UINT restored = SetErrorMode(0);
    EXPECT_EQ((UINT)SEM_NOGPFAULTERRORBOX, restored);
    EXPECT_EQ(std::vector<std::string>{kDifferent}, toVector(document.summaryLines()));
    EXPECT_EQ("", first.at(0));
    EXPECT_EQ("OS details:", first.at(1));

    window.events.clear();
    window.progressCalls = 0;
    standardOutput += captureStandardOutput([&] { generateReport(document); });
    const std::vector<std::string> second = toVector(document.detailLines());
    EXPECT_EQ(expectedEvents, window.events);
    EXPECT_EQ(second.size(), window.progressCalls);
    EXPECT_EQ(std::vector<std::string>{kDifferent}, toVector(document.summaryLines()));
    EXPECT_EQ(first.size(), second.size());

    EXPECT_EQ(joinCrlf(first) + joinCrlf(second), readWholeFile(logPath));
    EXPECT_EQ("", standardOutput);
}

// An exception in the middle of the sections (here from the view, at the
// fifth line): the report says in one line that it stopped and why, and the
// window comes back as after any report: rendered, default cursor, buttons
// enabled, the caller's error mode restored.
TEST_F(ReportTest, ExceptionDuringTheReportEndsItWithALineAndRestoresTheWindow) {
    struct ThrowingWindow : RecordingWindow {
        void updateProgress() override {
            RecordingWindow::updateProgress();
            if (progressCalls == 5) throw std::runtime_error("a section failed");
        }
    };
    setPluginPaths(nullptr, nullptr);
    ReportDocument document(false);
    ThrowingWindow window;
    document.attachView(&window);
    document.attachOwner(&window);
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    captureStandardOutput([&] { generateReport(document); });

    const std::vector<std::string> expectedEvents = {"wait cursor",    "clear",   "progress", "render",
                                                     "default cursor", "buttons", "elapsed"};
    EXPECT_EQ(expectedEvents, window.events);
    EXPECT_EQ((UINT)SEM_NOGPFAULTERRORBOX, SetErrorMode(0));
    const std::vector<std::string> details = toVector(document.detailLines());
    ASSERT_EQ(6u, details.size()) << "five lines, then the one that says why it stopped";
    EXPECT_EQ("Report stopped early: a section failed", details.back());
    EXPECT_EQ(std::vector<std::string>{"Report stopped early: a section failed"},
              toVector(document.summaryLines()));
    EXPECT_EQ(details, window.renderedDetails);
}

TEST_F(ReportTest, KilledReportLeavesEveryLineSoFarInTheLog) {
    setPluginPaths(nullptr, nullptr);
    const std::string logPath = ReportDocument(true).logFilePath().c_str();

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + programDirectory() + "\\report_runner.exe\" interactive";
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    // The processor name is the last line before the clock measurement, which
    // keeps the report busy for more than a second: kill it there.
    std::string seen;
    const DWORD start = GetTickCount();
    while (std::count(seen.begin(), seen.end(), '\n') < 13) {
        ASSERT_LT(GetTickCount() - start, 30000u) << "log so far:\n" << seen;
        ASSERT_EQ((DWORD)WAIT_TIMEOUT, WaitForSingleObject(process.hProcess, 2)) << "finished too soon";
        seen = readWholeFile(logPath);
    }
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const std::string log = readWholeFile(logPath);
    const std::vector<std::string> lines = crlfLines(log);
    ASSERT_GE(lines.size(), 13u);
    EXPECT_EQ("", lines[0]);
    EXPECT_EQ("OS details:", lines[1]);
    EXPECT_EQ(0u, lines[2].find("   Version: "));
    EXPECT_EQ("Processor details:", lines[5]);
    EXPECT_EQ(0u, lines[11].find("   page size: "));
    EXPECT_EQ(0u, countOf(lines, "Disks:")) << "killed during the clock measurement";
}

}   // namespace
