// Whole-program reports on an installation that carries one kind of hostile
// item at a time.  For every fixture the same three things must hold:
//   - the report completes: every section heading of a clean run appears, in
//     order, in the silent output and in the window's lists;
//   - the bad item gets its line (or is skipped);
//   - the log file holds exactly the lines of the lists.
// A section missing from the clean report fails its fixtures: every section
// is part of every build.
#include "foundation/Files.h"
#include "foundation/HelperProcess.h"
#include "foundation/ScopedHandle.h"
#include "foundation/SystemQueries.h"
#include "foundation/Win32.h"
#include "hostile/tests/ReportRuns.h"
#include "repair/PluginPathRepair.h"
#include "repair/RepairPlatform.h"
#include "repair/StartupFileText.h"
#include "report/ReportDocument.h"
#include "report/tests/TestSupport.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <cctype>
#include <random>

namespace {

const char* const pluginFolder = "C:\\hostile-plugins";
// Where audio codec drivers are registered, and the hanging fixture's entry.
const char* const codecDriversKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";
const char* const hangingCodecValue = "msacm.q8hang";

std::vector<std::string> cleanHeadings;
std::vector<std::string> cleanLines;

std::string lower(std::string text) {
    for (char& c : text) c = (char)std::tolower((unsigned char)c);
    return text;
}

// The report line that names `file` (case-insensitive), "" when none does.
std::string lineNaming(const std::vector<std::string>& lines, const std::string& file) {
    const std::string wanted = lower(file) + ": ";
    for (const std::string& line : lines)
        if (lower(line).find(wanted) != std::string::npos) return line;
    return std::string();
}

std::string randomBytes(size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes) c = (char)(generator() & 0xFF);
    return bytes;
}

void setRegistryValue(HKEY root, const char* keyPath, const char* name, DWORD type,
                      const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, name, 0, type, (const BYTE*)bytes.data(), (DWORD)bytes.size()));
    RegCloseKey(key);
}

std::wstring widePath(const std::string& ansi) {
    // Paths built by the tests are plain ASCII; "\\?\" lifts MAX_PATH.
    return L"\\\\?\\" + std::wstring(ansi.begin(), ansi.end());
}

// Runs a Unix command on files of the prefix: Wine starts native programs
// like Windows ones, and only the Unix side can make or remove a symbolic
// link that Win32 sees as a folder.  The handle Wine gives for a native
// program cannot be waited for, so the caller says when the work shows.
void runUnix(const std::string& program, const std::vector<std::wstring>& paths,
             const std::function<bool()>& done) {
    typedef char*(CDECL * UnixName)(LPCWSTR);
    auto unixName = (UnixName)(void*)GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    ASSERT_NE(nullptr, unixName) << "not running under Wine";
    std::string commandLine = "Z:\\bin\\" + program;
    for (const std::wstring& path : paths) {
        char* unixPath = unixName(path.c_str());
        ASSERT_NE(nullptr, unixPath);
        commandLine += std::string(" \"") + unixPath + "\"";
        HeapFree(GetProcessHeap(), 0, unixPath);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 200 && !done(); ++i) Sleep(50);
    EXPECT_TRUE(done()) << commandLine;
}

bool missing(const std::wstring& path) { return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

// Wide calls with the "\\?\" prefix: the fixtures hold paths past MAX_PATH
// and names the ANSI code page cannot spell.  Links are removed as links,
// never followed: a loop fixture would otherwise take the walk round and
// round, and a link to a real folder would be emptied.
void deleteTreeWide(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // RemoveDirectory refuses a Unix link under Wine.
        if (!RemoveDirectoryW(path.c_str()) && !DeleteFileW(path.c_str()))
            runUnix("rm -f", {path}, [&] { return missing(path); });
        return;
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") deleteTreeWide(path + L"\\" + name);
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

void deleteTree(const std::string& path) { deleteTreeWide(widePath(path)); }

void restoreDocumentsFolder(const std::string& documents) {
    const DWORD attributes = GetFileAttributesA(documents.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
    if (attributes != INVALID_FILE_ATTRIBUTES) deleteTree(documents);
    CreateDirectoryA(documents.c_str(), nullptr);
    const DWORD now = GetFileAttributesA(documents.c_str());
    EXPECT_TRUE(now != INVALID_FILE_ATTRIBUTES && !(now & FILE_ATTRIBUTE_REPARSE_POINT));
}

class HostileReport : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        resetInstallation();
        const ReportRun clean = runReports();
        cleanHeadings = headings(clean.lists);
        cleanLines = clean.lists;
    }

    void SetUp() override { resetInstallation(); }
    void TearDown() override { resetInstallation(); }

    static void resetInstallation() {
        restoreDocumentsFolder(documentsFolder());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\ZQT");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brelvanx Q8 hostile");
        SetEnvironmentVariableA("ZQT_PLUGIN_PATH", nullptr);
        for (const char* name : {"Q8SIM_RECEIVERS", "Q8SIM_FAULT", "Q8SIM_HANG", "Q8SIM_PATH_UNTERMINATED",
                                  "Q8SIM_EEPROM_SEED", "Q8DIAG_PROBES_IN_PROCESS", "Q8DIAG_PROBE_HELPER_IMAGE"})
            SetEnvironmentVariableA(name, nullptr);
        HKEY drivers = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, codecDriversKey, 0, KEY_ALL_ACCESS, &drivers) == ERROR_SUCCESS) {
            RegDeleteValueA(drivers, hangingCodecValue);
            RegCloseKey(drivers);
        }
        deleteTree(pluginFolder);
        deleteTree(documentsFolder() + "\\Brelvanx");
        DeleteFileA((systemDirectory() + "\\ZNQ8API.DLL").c_str());
        const std::string log = logFilePath();
        SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(log.c_str());
    }

    static bool sectionInBuild(const char* heading) { return hasLine(cleanLines, heading); }

    // The three rules every fixture must keep.
    static void expectComplete(const ReportRun& run, bool logWritable = true) {
        EXPECT_FALSE(cleanHeadings.empty());
        EXPECT_TRUE(containsInOrder(headings(run.silent), cleanHeadings)) << "silent report incomplete";
        EXPECT_TRUE(containsInOrder(headings(run.lists), cleanHeadings)) << "report incomplete";
        EXPECT_GE(run.summaryCount, 0);
        if (logWritable) {
            EXPECT_EQ(run.lists, run.log) << "the log differs from the report's lines";
        }
    }

    static void usePluginFolder() {
        CreateDirectoryA(pluginFolder, nullptr);
        setRegistryValue(HKEY_LOCAL_MACHINE, "Software\\ZQT", "SearchPath", REG_SZ,
                         std::string(pluginFolder) + '\0');
        SetEnvironmentVariableA("ZQT_PLUGIN_PATH", pluginFolder);
    }
};

TEST_F(HostileReport, CleanInstallationLogHoldsEveryLine) {
    const ReportRun run = runReports();
    expectComplete(run);
    EXPECT_TRUE(hasLine(run.silent, "   ZQT registry path=\"\""));
}

// HKLM\Software\ZQT "SearchPath" as something other than a proper string.
TEST_F(HostileReport, RegistrySearchPathOfTheWrongShape) {
    struct Row {
        const char* name;
        DWORD type;
        std::string bytes;
        const char* shown;
    };
    const std::vector<Row> rows = {
        {"a DWORD", REG_DWORD, std::string("\x01\x02\x03\x04", 4), ""},
        {"random binary", REG_BINARY, randomBytes(300, 1), ""},
        {"string without terminator", REG_SZ, "C:\\windows", "C:\\WINDOWS"},
        {"one megabyte string", REG_SZ, std::string(1 << 20, 'A') + '\0', ""},
        {"multi-string", REG_MULTI_SZ, std::string("C:\\windows\0C:\\\0\0", 15), "C:\\WINDOWS"},
        {"unexpanded variable", REG_EXPAND_SZ, std::string("%SystemRoot%\0", 13), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        resetInstallation();
        setRegistryValue(HKEY_LOCAL_MACHINE, "Software\\ZQT", "SearchPath", row.type, row.bytes);
        const ReportRun run = runReports();
        expectComplete(run);
        const std::string line = std::string("   ZQT registry path=\"") + row.shown + "\"";
        EXPECT_TRUE(hasLine(run.silent, line)) << line;
        EXPECT_TRUE(hasLine(run.lists, line)) << line;
    }
}

TEST_F(HostileReport, PluginVariableOfThirtyThousandCharacters) {
    SetEnvironmentVariableA("ZQT_PLUGIN_PATH", std::string(30000, 'Z').c_str());
    const ReportRun run = runReports();
    expectComplete(run);
    EXPECT_TRUE(hasLine(run.lists, "   ZQT variable path=\"\""));
}

// Uninstall entries of the receiver software with stray quotes, no folder
// part or nothing at all: no folder is made up from them.
TEST_F(HostileReport, UninstallEntriesWithStrayQuotes) {
    ASSERT_TRUE(sectionInBuild("Installation directories:")) << "the clean report lacks this section";
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brelvanx Q8 hostile";
    for (const char* icon : {"\"\"\"", "noBackslash.exe", "\"C:\\windows\\\"x.exe\"", ""}) {
        SCOPED_TRACE(icon);
        setRegistryValue(HKEY_LOCAL_MACHINE, key, "DisplayIcon", REG_SZ, std::string(icon) + '\0');
        setRegistryValue(HKEY_LOCAL_MACHINE, key, "UninstallString", REG_SZ, std::string("\"\0", 2));
        const ReportRun run = runReports();
        expectComplete(run);
    }
}

// Plug-ins that fault, handle their own faults, overflow the name buffer,
// and files in the plug-in folder that are no proper library at all.
TEST_F(HostileReport, MisbehavingPluginsEachGetTheirLine) {
    ASSERT_TRUE(sectionInBuild("Installation directories:")) << "the clean report lacks this section";
    usePluginFolder();
    const std::string source = programDirectory() + "\\hostile\\";
    const std::string folder = std::string(pluginFolder) + "\\";
    for (const char* name : {"hostile_plain.dll", "hostile_fault_init.dll", "hostile_fault_attach.dll",
                             "hostile_own_exception.dll", "hostile_overflow.dll"})
        ASSERT_TRUE(CopyFileA((source + name).c_str(), (folder + name).c_str(), FALSE)) << name;
    const std::string plain = readWholeFile(source + "hostile_plain.dll");
    writeWholeFile(folder + "truncated.dll", plain.substr(0, plain.size() / 3));
    std::string corrupt = plain;
    // The export directory's address in the optional header: far outside.
    const uint32_t peOffset = *(const uint32_t*)(corrupt.data() + 0x3C);
    *(uint32_t*)&corrupt[peOffset + 0x78] = 0x7FFFFFF0u;
    writeWholeFile(folder + "corrupt.dll", corrupt);
    writeWholeFile(folder + "notpe.dll", "MZ this is only text\r\n");
    writeWholeFile(folder + "random.dll", randomBytes(5000, 7));
    writeWholeFile(folder + "empty.dll", "");

    const ReportRun run = runReports();
    expectComplete(run);

    struct Row {
        const char* file;
        std::string ending;   // what the line must end with; "" = only that it exists
        bool zqtError;
    };
    const std::vector<Row> rows = {
        {"hostile_plain.dll", "  \"Plain Hostile Fixture\" ", false},
        {"hostile_fault_init.dll", " ZQT error", true},
        {"hostile_fault_attach.dll", "", false},
        {"hostile_own_exception.dll", "  \"Handled Own Faults\" ", false},
        // The name is cut at the 1024 bytes the plug-in was offered.
        {"hostile_overflow.dll", "  \"" + std::string(1024, 'O') + "\" ", false},
        {"truncated.dll", "", false},
        {"corrupt.dll", "", false},
        {"notpe.dll", "", false},
        {"random.dll", "", false},
        {"empty.dll", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string line = lineNaming(run.lists, row.file);
        ASSERT_FALSE(line.empty()) << "no line for " << row.file;
        EXPECT_EQ(line, lineNaming(run.silent, row.file));
        if (!row.ending.empty()) {
            ASSERT_GE(line.size(), row.ending.size());
            EXPECT_EQ(row.ending, line.substr(line.size() - row.ending.size()));
        }
        if (!row.zqtError) {
            EXPECT_EQ(std::string::npos, line.find("ZQT error")) << line;
        }
    }
}

// The receiver library misbehaves in each export the probe calls, or reports
// absurd numbers of receivers.
TEST_F(HostileReport, FaultingReceiverLibrary) {
    const std::string library = programDirectory() + "\\ZNQ8API.DLL";
    ASSERT_TRUE(sectionInBuild("Searching for receivers:")) << "the clean report lacks this section";
    ASSERT_TRUE(pathExists(library)) << "the simulated receiver library is built beside the test";
    ASSERT_TRUE(CopyFileA(library.c_str(), (systemDirectory() + "\\ZNQ8API.DLL").c_str(), FALSE));

    struct Row {
        const char* variable;
        const char* value;
        std::vector<std::string> lines;
    };
    const std::string exception = "   exception while accessing ZNQ8API.DLL";
    const std::vector<Row> rows = {
        {"Q8SIM_RECEIVERS", "-1", {"   Invalid receiver count from ZNQ8API.DLL, no receiver probed"}},
        {"Q8SIM_RECEIVERS",
         "2000000000",
         {"   2000000000 Q8 receiver(s) found", "   Only the first 16 receivers are probed"}},
        {"Q8SIM_FAULT", "Q8GetRadioList", {exception}},
        {"Q8SIM_FAULT", "OpenRadioDevice", {exception}},
        {"Q8SIM_FAULT", "SetPower", {exception}},
        {"Q8SIM_FAULT", "SetFrequency", {exception}},
        {"Q8SIM_FAULT", "Q8GetDebug", {exception}},
        {"Q8SIM_FAULT", "Q8GetEEP", {"EEPROM content", exception}},
        {"Q8SIM_FAULT", "Q8GetPath", {exception}},
        {"Q8SIM_FAULT", "CloseRadioDevice", {exception}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.variable) + "=" + row.value);
        SetEnvironmentVariableA(row.variable, row.value);
        const ReportRun run = runReports();
        SetEnvironmentVariableA(row.variable, nullptr);
        expectComplete(run);
        EXPECT_TRUE(containsInOrder(run.lists, row.lines));
        EXPECT_TRUE(containsInOrder(run.silent, row.lines));
        if (std::string(row.value) == "2000000000") {
            // 16 receivers probed, each with its name line; no 17th.
            const auto names = std::count_if(run.lists.begin(), run.lists.end(), [](const std::string& l) {
                return l.rfind("   Device Name: ", 0) == 0;
            });
            EXPECT_EQ(16, names);
        }
    }
}

TEST_F(HostileReport, ReceiverWithUnterminatedNameAndRandomEeprom) {
    const std::string library = programDirectory() + "\\ZNQ8API.DLL";
    ASSERT_TRUE(sectionInBuild("Searching for receivers:")) << "the clean report lacks this section";
    ASSERT_TRUE(pathExists(library)) << "the simulated receiver library is built beside the test";
    ASSERT_TRUE(CopyFileA(library.c_str(), (systemDirectory() + "\\ZNQ8API.DLL").c_str(), FALSE));
    SetEnvironmentVariableA("Q8SIM_PATH_UNTERMINATED", "1");
    SetEnvironmentVariableA("Q8SIM_EEPROM_SEED", "20261210");
    const ReportRun run = runReports();
    expectComplete(run);
    std::string name;
    for (const std::string& line : run.lists)
        if (line.rfind("   Device Name: ", 0) == 0) name = line.substr(16);
    EXPECT_EQ(1024u, name.size()) << "the name ends at the buffer's end";
    EXPECT_TRUE(containsInOrder(run.lists, {"EEPROM content", "   Radio description: ", "   RSSI ref2: "}) ||
                hasLineContaining(run.lists, "   RSSI ref2: "));
}

// Sound-card files that are empty, truncated, huge or random bytes.
TEST_F(HostileReport, SoundCardFilesOfAnyShape) {
    ASSERT_TRUE(sectionInBuild("System mixers:")) << "the clean report lacks this section";
    const std::string base = documentsFolder() + "\\Brelvanx";
    CreateDirectoryA(base.c_str(), nullptr);
    struct Row {
        const char* folder;
        std::string bytes;
    };
    std::string record(136, '\0');
    *(uint32_t*)&record[0] = 0x9996EE9Au;
    *(uint32_t*)&record[4] = 128;
    const std::vector<Row> rows = {
        {"empty", ""},
        {"truncated", record + record.substr(0, 100)},
        {"random", randomBytes(64 * 1024, 3)},
        {"huge", std::string(16 << 20, '\0') + record},
    };
    for (const Row& row : rows) {
        const std::string folder = base + "\\" + row.folder;
        CreateDirectoryA(folder.c_str(), nullptr);
        writeWholeFile(folder + "\\SoundCard_Config.dat", row.bytes);
    }
    const ReportRun run = runReports();
    expectComplete(run);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.folder);
        EXPECT_TRUE(hasLine(run.lists, "Demod settings for " + base + "\\" + row.folder));
    }
}

// Trees with a link loop, a path past MAX_PATH and names the ANSI code page
// cannot show, in the user-data folder the report walks.
TEST_F(HostileReport, DirectoryTreesWithLoopsLongPathsAndForeignNames) {
    ASSERT_TRUE(sectionInBuild("User data:")) << "the clean report lacks this section";
    const std::string base = documentsFolder() + "\\Brelvanx";
    CreateDirectoryA(base.c_str(), nullptr);
    // loop -> its own folder: a walk that follows links never ends.
    const std::wstring loop = widePath(base + "\\loop");
    runUnix("ln -s", {widePath(base), loop}, [&] { return !missing(loop); });

    std::wstring deep = L"\\\\?\\";
    for (const char* p = base.c_str(); *p; ++p) deep += (wchar_t)(unsigned char)*p;
    for (int i = 0; i < 12; ++i) {
        deep += L"\\deep-folder-with-a-long-name-" + std::to_wstring(i);
        CreateDirectoryW(deep.c_str(), nullptr);
    }
    HANDLE file =
        CreateFileW((deep + L"\\file.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    std::wstring foreign;
    for (const char* p = base.c_str(); *p; ++p) foreign += (wchar_t)(unsigned char)*p;
    foreign += L"\\\x65E5\x672C\x8A9E-\x0395\x03BB\x03BB\x03B7\x03BD\x03B9\x03BA\x03AC.dll";
    file = CreateFileW(foreign.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    // A file held open without sharing: nothing can read it during the run.
    const std::string lockedPath = base + "\\locked.dll";
    HANDLE locked = CreateFileA(lockedPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(locked, "MZ", 2, &written, nullptr);

    const ReportRun run = runReports();
    CloseHandle(locked);
    expectComplete(run);
    EXPECT_FALSE(lineNaming(run.lists, "locked.dll").empty());
    EXPECT_LT(run.lists.size(), 20000u) << "the loop was followed";
}

TEST_F(HostileReport, LogFileLockedByAnotherProcess) {
    const std::string log = logFilePath();
    writeWholeFile(log, "older report\r\n");
    HANDLE lock = CreateFileA(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    const ReportRun run = runReports();
    CloseHandle(lock);
    expectComplete(run, false);
    // Skipped, not damaged: what was there stays as it was.
    EXPECT_EQ("older report\r\n", readWholeFile(log));
}

TEST_F(HostileReport, ReadOnlyLogFileOfAnEarlierRun) {
    const std::string log = logFilePath();
    writeWholeFile(log, "older report\r\n");
    SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_READONLY);
    const ReportRun run = runReports();
    expectComplete(run, false);
    // Windows refuses to write it, and the old text stays; Wine run as root
    // writes all the same, after the old text, which cannot be deleted.
    std::string appended = "older report\r\n";
    for (const std::string& line : run.lists) appended += line + "\r\n";
    const std::string now = readWholeFile(log);
    EXPECT_TRUE(now == "older report\r\n" || now == appended) << now.substr(0, 200);
}

TEST_F(HostileReport, DocumentsFolderMissingIsMadeAgain) {
    const std::string documents = documentsFolder();
    deleteTree(documents);
    ASSERT_FALSE(pathExists(documents));
    const ReportRun run = runReports();
    expectComplete(run);
    EXPECT_TRUE(pathExists(documents));
    DeleteFileA(logFilePath().c_str());
    restoreDocumentsFolder(documents);
}

// A file where the documents folder should be: the folder cannot be made, so
// there is no log; the lines must not land in some other folder instead.
TEST_F(HostileReport, DocumentsFolderReplacedByAFile) {
    const std::string documents = documentsFolder();
    deleteTree(documents);
    writeWholeFile(documents, "not a folder");
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    const std::string strayLog = std::string(current).substr(0, 2) + "\\Q8diag.txt";
    DeleteFileA(strayLog.c_str());
    DeleteFileA("C:\\Q8diag.txt");

    const ReportRun run = runReports();
    DeleteFileA(documents.c_str());
    restoreDocumentsFolder(documents);
    expectComplete(run, false);
    EXPECT_FALSE(pathExists(strayLog)) << "log written to " << strayLog;
    EXPECT_FALSE(pathExists("C:\\Q8diag.txt"));
    DeleteFileA(strayLog.c_str());
}

// Silent mode with standard output a pipe nobody reads any more: every write
// fails, the report still runs to its end and the program exits with 0.
TEST_F(HostileReport, SilentOutputIntoABrokenPipe) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    CloseHandle(readEnd);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + programDirectory() + "\\report_runner.exe\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(writeEnd);
    const DWORD waited = WaitForSingleObject(process.hProcess, 120000);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(WAIT_OBJECT_0, waited);
    EXPECT_EQ(0u, exitCode);
}

}   // namespace

namespace {

// The repair on Windows 95/98 rewrites C:\autoexec.bat.  Read-only (as some
// installers and virus checkers leave it), the file must come out entirely
// old, with the error line, or entirely new; never half and half, and
// nothing may be left beside it.
class Windows98Platform : public RepairPlatform {
public:
    WindowsVersionClass versionClass() override { return windows98; }
};

std::vector<std::string> filesBesideStartupFile() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA("C:\\*", &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// Lines that contain `part`.
std::vector<std::string> linesContaining(const std::vector<std::string>& lines, const std::string& part) {
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (line.find(part) != std::string::npos) found.push_back(line);
    return found;
}

// Report lines with every run of digits as one '#'.
std::vector<std::string> withoutDigits(const std::vector<std::string>& lines) {
    std::vector<std::string> masked;
    for (const std::string& line : lines) masked.push_back(digitsMasked(line));
    return masked;
}

// Plug-ins that never return or take their process down.  Each costs its own
// line and no other plug-in loses its answer, even the one being checked
// when a thread left behind by an earlier plug-in faults.
TEST_F(HostileReport, PluginsThatHangOrKillTheirProcess) {
    usePluginFolder();
    const std::string source = programDirectory() + "\\hostile\\";
    const std::string folder = std::string(pluginFolder) + "\\";
    for (const char* name : {"hostile_plain.dll", "hostile_loop_attach.dll", "hostile_sleep_init.dll",
                             "hostile_heap_corruption.dll", "hostile_late_fault.dll", "hostile_overflow.dll"})
        ASSERT_TRUE(CopyFileA((source + name).c_str(), (folder + name).c_str(), FALSE)) << name;

    const ReportRun run = runReports();
    expectComplete(run);

    struct Row {
        const char* file;
        std::string ending;   // "" = only that the line is there
        bool hangs;
    };
    const std::vector<Row> rows = {
        {"hostile_plain.dll", "  \"Plain Hostile Fixture\" ", false},
        {"hostile_overflow.dll", "  \"" + std::string(1024, 'O') + "\" ", false},
        {"hostile_late_fault.dll", "  \"Late Fault\" ", false},
        {"hostile_loop_attach.dll", " ZQT error", true},
        {"hostile_sleep_init.dll", " ZQT error", true},
        // Whether a spoiled heap kills the process, and when, is up to the heap.
        {"hostile_heap_corruption.dll", "", false},
    };
    for (const auto* lines : {&run.lists, &run.silent}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.file) + (lines == &run.lists ? " (lists)" : " (silent)"));
            const std::string line = lineNaming(*lines, row.file);
            ASSERT_FALSE(line.empty()) << "no line for " << row.file;
            if (!row.ending.empty()) {
                ASSERT_GE(line.size(), row.ending.size());
                EXPECT_EQ(row.ending, line.substr(line.size() - row.ending.size())) << line;
            }
            const auto notes = linesContaining(*lines, std::string(row.file) + " did not answer within 5 seconds");
            EXPECT_EQ(row.hangs ? 1u : 0u, notes.size());
            if (row.hangs) {
                EXPECT_EQ("   " + std::string(pluginFolder) + "\\" + row.file +
                              " did not answer within 5 seconds; its check was stopped",
                          notes[0]);
                // The note follows the file's own line, after at most other
                // notes about the same check (a probe process that a thread
                // of an earlier plug-in ended under it).
                const auto at = std::find(lines->begin(), lines->end(), line);
                const auto note = std::find(at, lines->end(), notes[0]);
                ASSERT_NE(lines->end(), note);
                for (auto between = at + 1; between != note; ++between)
                    EXPECT_EQ(0u, between->rfind("   The probe process ", 0)) << *between;
            }
        }
    }
}

// The receiver library blocks in one of its calls: the receiver (or the
// library) gets one summary line, the other receivers are probed all the same.
TEST_F(HostileReport, ReceiverLibraryThatNeverAnswers) {
    const std::string library = programDirectory() + "\\ZNQ8API.DLL";
    ASSERT_TRUE(CopyFileA(library.c_str(), (systemDirectory() + "\\ZNQ8API.DLL").c_str(), FALSE));
    struct Row {
        const char* hang;
        const char* receivers;
        std::vector<std::string> lines;
        long deviceNames;
    };
    const std::string library6 = "   ZNQ8API.DLL did not answer within 6 seconds";
    const std::vector<Row> rows = {
        {"OpenRadioDevice",
         "1",
         {"   1 Q8 receiver(s) found", "   The Q8 receiver #1 from ZNQ8API.DLL did not answer within 6 seconds"},
         0},
        {"Q8GetEEP:2",
         "3",
         {"   3 Q8 receiver(s) found", "   Device Name: \\\\.\\ZnQ8Usb0", "EEPROM content",
          "   The Q8 receiver #2 from ZNQ8API.DLL did not answer within 6 seconds",
          "   Device Name: \\\\.\\ZnQ8Usb2"},
         2},
        {"Q8GetRadioList", "2", {"Looking for Q8 receivers:", library6}, 0},
        {"DllMain", "1", {"Looking for Q8 receivers:", library6}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("Q8SIM_HANG=") + row.hang);
        SetEnvironmentVariableA("Q8SIM_HANG", row.hang);
        SetEnvironmentVariableA("Q8SIM_RECEIVERS", row.receivers);
        const ReportRun run = runReports();
        SetEnvironmentVariableA("Q8SIM_HANG", nullptr);
        SetEnvironmentVariableA("Q8SIM_RECEIVERS", nullptr);
        expectComplete(run);
        for (const auto* lines : {&run.lists, &run.silent}) {
            EXPECT_TRUE(containsInOrder(*lines, row.lines));
            const auto names = std::count_if(lines->begin(), lines->end(), [](const std::string& l) {
                return l.rfind("   Device Name: ", 0) == 0;
            });
            EXPECT_EQ(row.deviceNames, names);
        }
    }
}

// The processes whose parent is `parentId`, opened to wait on and to end.
std::vector<ScopedKernelHandle> childProcessesOf(DWORD parentId) {
    std::vector<ScopedKernelHandle> children;
    ScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID != parentId) continue;
        HANDLE child = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
        if (child) children.emplace_back(child);
    }
    return children;
}

// The program is ended from outside (the task list, or a crash of its own)
// while its receiver helper is stuck in the library.  The helper must not
// stay behind, hidden, with the library loaded and the receiver held open.
TEST_F(HostileReport, HelpersEndWithTheProgram) {
    const std::string library = programDirectory() + "\\ZNQ8API.DLL";
    ASSERT_TRUE(CopyFileA(library.c_str(), (systemDirectory() + "\\ZNQ8API.DLL").c_str(), FALSE));
    SetEnvironmentVariableA("Q8SIM_HANG", "OpenRadioDevice");
    SetEnvironmentVariableA("Q8SIM_RECEIVERS", "1");
    HelperProcess program;
    const bool started = program.start((programDirectory() + "\\Q8diag.exe").c_str(), "silent");
    SetEnvironmentVariableA("Q8SIM_HANG", nullptr);
    SetEnvironmentVariableA("Q8SIM_RECEIVERS", nullptr);
    ASSERT_TRUE(started) << program.error();

    // Once this line is out, the receiver helper is in, or on its way into,
    // the call that never returns; the program would end it only when the
    // receiver's time is up, seconds from now.
    const std::string found = "   1 Q8 receiver(s) found\r\n";
    std::string output;
    const DWORD began = GetTickCount();
    while (output.find(found) == std::string::npos && GetTickCount() - began < 120000)
        if (program.receive(output, 1000) == HelperProcess::Wait::ended) break;
    ASSERT_NE(std::string::npos, output.find(found)) << output;

    std::vector<ScopedKernelHandle> helpers = childProcessesOf(program.processId());
    ASSERT_FALSE(helpers.empty());
    program.terminate();
    for (auto& helper : helpers) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(helper.get(), 15000));
        // Never left running: it would hold this test's output open.
        TerminateProcess(helper.get(), 1);
    }
}

// An audio codec driver that never answers its open message.  Wine's codec
// manager opens every driver while it loads, and the wave mapper loads it,
// so the other audio sections may stop there too; each says so in its line
// and the report goes on to its end.
TEST_F(HostileReport, CodecDriverThatNeverAnswersItsOpenMessage) {
    ASSERT_TRUE(sectionInBuild("ACM system")) << "the clean report lacks this section";
    const std::string driver = programDirectory() + "\\hostile\\hostile_hanging_codec.dll";
    ASSERT_TRUE(pathExists(driver));
    setRegistryValue(HKEY_LOCAL_MACHINE, codecDriversKey, hangingCodecValue, REG_SZ, driver + '\0');
    const ReportRun run = runReports();
    resetInstallation();
    expectComplete(run);
    for (const auto* lines : {&run.lists, &run.silent}) {
        const auto acm = std::find(lines->begin(), lines->end(), "ACM system");
        ASSERT_NE(lines->end(), acm);
        const auto late = std::find_if(acm, lines->end(), [](const std::string& l) {
            return l.rfind("   ", 0) == 0 && l.find(" did not answer within 5 seconds") != std::string::npos;
        });
        EXPECT_NE(lines->end(), late) << "no line for the codec driver that did not answer";
    }
}

// Where every plug-in, receiver and driver answers, the helper processes
// change nothing in the report.
TEST_F(HostileReport, HelperProcessesGiveTheSameReportAsInProcess) {
    usePluginFolder();
    const std::string source = programDirectory() + "\\hostile\\hostile_plain.dll";
    ASSERT_TRUE(CopyFileA(source.c_str(), (std::string(pluginFolder) + "\\hostile_plain.dll").c_str(), FALSE));
    const std::string library = programDirectory() + "\\ZNQ8API.DLL";
    ASSERT_TRUE(CopyFileA(library.c_str(), (systemDirectory() + "\\ZNQ8API.DLL").c_str(), FALSE));
    SetEnvironmentVariableA("Q8SIM_RECEIVERS", "2");
    const ReportRun helpers = runReports();
    SetEnvironmentVariableA("Q8DIAG_PROBES_IN_PROCESS", "1");
    const ReportRun inProcess = runReports();
    expectComplete(helpers);
    EXPECT_EQ(withoutDigits(inProcess.silent), withoutDigits(helpers.silent));
    EXPECT_EQ(withoutDigits(inProcess.lists), withoutDigits(helpers.lists));
    EXPECT_EQ(inProcess.summaryCount, helpers.summaryCount);
    EXPECT_TRUE(hasLineContaining(helpers.lists, "  \"Plain Hostile Fixture\" "));
    EXPECT_TRUE(hasLine(helpers.lists, "   Device Name: \\\\.\\ZnQ8Usb1"));
}

// No helper can be started: the report runs in process after one line.
TEST_F(HostileReport, NoHelperProcessMeansInProcessWithOneLine) {
    usePluginFolder();
    const std::string source = programDirectory() + "\\hostile\\hostile_plain.dll";
    ASSERT_TRUE(CopyFileA(source.c_str(), (std::string(pluginFolder) + "\\hostile_plain.dll").c_str(), FALSE));
    SetEnvironmentVariableA("Q8DIAG_PROBE_HELPER_IMAGE", "C:\\no such folder\\nothing.exe");
    const ReportRun run = runReports();
    expectComplete(run);
    for (const auto* lines : {&run.lists, &run.silent}) {
        const auto notes = linesContaining(*lines, "The probe helper process could not be started (error ");
        ASSERT_EQ(1u, notes.size());
        EXPECT_NE(std::string::npos,
                  notes[0].find("): plug-ins, receiver libraries and audio drivers are examined inside this program"));
        EXPECT_TRUE(hasLineContaining(*lines, "  \"Plain Hostile Fixture\" "));
    }
}

TEST(HostileRepair, ReadOnlyStartupFile) {
    const char* path = "C:\\autoexec.bat";
    const std::string oldText = "@ECHO OFF\r\nSET ZQT_PLUGIN_PATH=C:\\OLD\r\nPATH C:\\DOS\r\n";
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    writeWholeFile(path, oldText);
    const std::vector<std::string> before = filesBesideStartupFile();
    ASSERT_TRUE(SetFileAttributesA(path, FILE_ATTRIBUTE_READONLY));

    Windows98Platform platform;
    ReportDocument document(false);
    const bool written = writePluginPathVariable(document, "C:\\NEW", platform);
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    const std::string now = readWholeFile(path);
    DeleteFileA(path);

    if (written) {
        EXPECT_EQ(rewriteStartupFileText(oldText, "C:\\NEW"), now);
    } else {
        EXPECT_EQ(oldText, now);
        EXPECT_GE(document.summaryLines().count(), 1u);
    }
    std::vector<std::string> after = filesBesideStartupFile();
    after.push_back("autoexec.bat");
    std::sort(after.begin(), after.end());
    EXPECT_EQ(before, after) << "files left beside the start-up file";
}

}   // namespace
