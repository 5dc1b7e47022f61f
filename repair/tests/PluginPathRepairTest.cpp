// The plug-in path repair against the prefix's real registry and files: the
// five cases with their messages and what they write, the start-up file of
// Windows 95/98, and, through a platform stand-in, the failures Wine cannot
// produce (keys refused to a user without administrator rights, a file
// operation failing half-way through the start-up file rewrite).
//
// The same program runs under several emulated Windows versions; where the
// variable goes (start-up file, environment key with or without the blank)
// follows the version class the system reports.
#include "foundation/Win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "foundation/Files.h"
#include "foundation/RegistryKey.h"
#include "foundation/SystemQueries.h"
#include "repair/PluginPathRepair.h"
#include "repair/StartupFileText.h"
#include "report/tests/TestSupport.h"

namespace {

const char kEnvironmentKey[] = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char kEnvironmentKeyME[] = "System\\CurrentControlSet\\Control\\SessionManager\\Environment";
const char kStartupFile[] = "C:\\autoexec.bat";
const char kSuccessful[] = "ZQT repair successful";
const char kUnsuccessful[] = "ZQT repair unsuccessful";
const char kPathSetTo[] = "ZQT plugins directory path set to ";
const char kWarningMissing[] = "WARNING: Unable to open AUTOEXEC.BAT file. An empty one will be created";
const char kReadError[] = "ERROR: Unable to read AUTOEXEC.BAT file, it is left unchanged.";
const char kSaveError[] = "ERROR: Unable to save AUTOEXEC.BAT file.";
const char kEnvironmentKeyError[] = "ERROR: Unable to open the environment registry key !";
const char kEnvironmentValueError[] = "ERRROR: Unable to write the ZQT path variable !";
const char kSearchKeyError[] = "ERROR: Unable to create ZQT registry key.";
const char kSearchValueError[] = "ERROR: Unable to write the ZQT registry value.";
const char kNoAdministrator[] = "You probably don't have administrator privileges.";

typedef std::vector<std::string> Lines;

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    return text;
}

// How the document stores a path it read: long form, upper case.
std::string storedForm(const std::string& path) {
    char longPath[MAX_PATH] = {};
    GetLongPathNameA(path.c_str(), longPath, sizeof longPath);
    return upper(longPath);
}

Lines toLines(const TextList& list) {
    Lines lines;
    for (unsigned i = 0; i < list.count(); ++i) lines.push_back(list.get(i).c_str());
    return lines;
}

// The value, or "<none>" when the key or value is missing.
std::string registryValue(const char* keyName, const char* valueName) {
    RegistryKey key(HKEY_LOCAL_MACHINE, KEY_READ);
    if (!key.openSubKey(keyName, false, KEY_READ) || !key.valueExists(valueName)) return "<none>";
    return key.readString(valueName, "").c_str();
}

void deleteRegistryValue(const char* keyName, const char* valueName) {
    RegistryKey key(HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS);
    if (key.openSubKey(keyName, false, KEY_ALL_ACCESS)) key.deleteValue(valueName);
}

std::string searchPathValue() { return registryValue("Software\\ZQT", "SearchPath"); }

// The variable as this system would give it to programs started later: the
// last SET line of the start-up file on 95/98, else the environment key of
// the class.  Also checks that the other places were left alone.
std::string writtenVariable(WindowsVersionClass versionClass) {
    const std::string inFile = [] {
        const std::string text = readWholeFile(kStartupFile);
        const std::string set = "SET ZQT_PLUGIN_PATH=";
        const size_t at = text.rfind(set);
        if (at == std::string::npos) return std::string("<none>");
        const size_t end = text.find("\r\n", at);
        return text.substr(at + set.size(), end - at - set.size());
    }();
    const std::string withBlank = registryValue(kEnvironmentKey, "ZQT_PLUGIN_PATH");
    const std::string withoutBlank = registryValue(kEnvironmentKeyME, "ZQT_PLUGIN_PATH");
    if (versionClass <= 1) {
        EXPECT_EQ("<none>", withBlank);
        EXPECT_EQ("<none>", withoutBlank);
        return inFile;
    }
    EXPECT_EQ("<none>", inFile);
    EXPECT_EQ("<none>", versionClass == 2 ? withBlank : withoutBlank);
    return versionClass == 2 ? withoutBlank : withBlank;
}

void removeFolder(const std::string& path) { RemoveDirectoryA(path.c_str()); }

// The rewrite's own files beside the start-up file ("q8n....tmp", "q8o....tmp").
std::vector<std::string> leftoverFiles() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA("C:\\q8*.tmp", &data);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (FindNextFileA(search, &data));
    FindClose(search);
    return names;
}

// A platform with the parts a test wants replaced; the rest is the system.
class TestPlatform : public RepairPlatform {
public:
    int forcedClass = -1;          // -1: the system's
    int searchOutcome = -1;        // -1: really write
    int environmentOutcome = -1;   // -1: really write
    bool replaceProgramFiles = false;
    String programFiles;
    FileOperations* fileOperations = nullptr;
    std::vector<std::string> environmentKeys;   // every key name asked for

    WindowsVersionClass versionClass() override {
        return forcedClass >= 0 ? static_cast<WindowsVersionClass>(forcedClass)
                                : RepairPlatform::versionClass();
    }
    String programFilesFolder() override {
        return replaceProgramFiles ? programFiles : RepairPlatform::programFilesFolder();
    }
    RegistryOutcome writeSearchPath(const String& path) override {
        return searchOutcome >= 0 ? (RegistryOutcome)searchOutcome : RepairPlatform::writeSearchPath(path);
    }
    RegistryOutcome writeEnvironmentValue(const String& keyName, const String& path) override {
        environmentKeys.push_back(keyName.c_str());
        return environmentOutcome >= 0 ? (RegistryOutcome)environmentOutcome
                                       : RepairPlatform::writeEnvironmentValue(keyName, path);
    }
    FileOperations& files() override { return fileOperations ? *fileOperations : RepairPlatform::files(); }
};

class CountingView : public ReportView {
public:
    int clears = 0;
    void clearView() override { ++clears; }
    void updateProgress() override {}
    void renderReport(const ReportDocument&) override {}
    void appendElapsedTime(DWORD) override {}
};

class RepairTest : public ::testing::Test {
protected:
    void SetUp() override {
        systemClass_ = classifyWindowsVersion();
        defaultFolder_ = defaultPluginDirectory().c_str();
        folderA_ = scratchDirectory() + "\\Plugins A";
        folderB_ = scratchDirectory() + "\\Plugins B";
        cleanUp();
        ASSERT_TRUE(CreateDirectoryA(folderA_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(folderB_.c_str(), nullptr));
    }
    void TearDown() override {
        cleanUp();
        removeFolder(folderA_);
        removeFolder(folderB_);
    }

    void cleanUp() {
        RegistryKey software(HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS);
        if (software.openSubKey("Software", false, KEY_ALL_ACCESS)) software.deleteKeyTree("ZQT");
        deleteRegistryValue(kEnvironmentKey, "ZQT_PLUGIN_PATH");
        deleteRegistryValue(kEnvironmentKeyME, "ZQT_PLUGIN_PATH");
        SetFileAttributesA(kStartupFile, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(kStartupFile);
        RemoveDirectoryA(kStartupFile);
        removeFolder(defaultFolder_);
        removeFolder(defaultFolder_.substr(0, defaultFolder_.rfind('\\')));
        SetEnvironmentVariableA("ZQT_PLUGIN_PATH", nullptr);
        // A prefix copied while another run rewrote the file may hold them.
        for (const std::string& name : leftoverFiles()) DeleteFileA(("C:\\" + name).c_str());
    }

    // A document that read the given paths at start-up (null: not set).
    std::unique_ptr<ReportDocument> documentWith(const std::string* registry, const std::string* variable) {
        cleanUp();
        if (registry) {
            RegistryKey key(HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS);
            EXPECT_TRUE(key.openSubKey("Software\\ZQT", true, KEY_ALL_ACCESS));
            EXPECT_TRUE(key.writeString("SearchPath", registry->c_str()));
        }
        SetEnvironmentVariableA("ZQT_PLUGIN_PATH", variable ? variable->c_str() : nullptr);
        return std::unique_ptr<ReportDocument>(new ReportDocument(false));
    }

    WindowsVersionClass systemClass_ = windows95;
    std::string defaultFolder_, folderA_, folderB_;
};

// The emulated version really reaches the repair: otherwise every run below
// would test the same version class.
TEST(RepairVersion, EmulatedVersionGivesItsClass) {
    const char* emulated = std::getenv("Q8_WINE_VERSION");
    const std::string version = emulated ? emulated : "";
    const std::pair<const char*, int> classes[] = {{"win95", 0}, {"win98", 1}, {"winme", 2}, {"nt40", 3},
                                                   {"win2k", 4}, {"winxp", 5}, {"vista", 6}, {"", 6}};
    for (const auto& entry : classes) {
        if (version == entry.first) {
            EXPECT_EQ(entry.second, classifyWindowsVersion());
            // Windows 95/98/ME have no working MoveFileExA: the rename path.
            EXPECT_EQ(entry.second >= 3, systemFileOperations().canReplaceInOneStep());
            return;
        }
    }
    ADD_FAILURE() << "no class known for " << version;
}

// ---------------------------------------------------------------------------
// The five cases on this system's real registry and files.

TEST_F(RepairTest, FiveCasesWithTheirMessagesAndWrites) {
    enum Path { unset, A, B, Nested };
    enum AfterStart { nothing, folderRemoved, folderBlocked };
    const std::string nested = scratchDirectory() + "\\Gone\\Plugins";
    const std::string nestedParent = scratchDirectory() + "\\Gone";
    struct Case {
        const char* name;
        Path registry, variable;
        AfterStart afterStart;
        Lines summary;             // "$A", "$B", "$N", "$D" stand for the folders
        bool trailingDetailOnly;   // the closing empty line is a detail line only
        const char* searchPath;    // afterwards; "<unchanged>" or a folder token
        const char* variableOut;   // afterwards; "<none>" or a folder token
    } cases[] = {
        {"1: neither set",
         unset,
         unset,
         nothing,
         {kPathSetTo + std::string("$D"), kSuccessful, ""},
         false,
         "$D",
         "$D"},
        {"2: only the registry",
         A,
         unset,
         nothing,
         {kPathSetTo + std::string("$A"), kSuccessful, ""},
         false,
         "<unchanged>",
         "$A"},
        {"3: only the variable",
         unset,
         A,
         nothing,
         {kPathSetTo + std::string("$A"), kSuccessful, ""},
         false,
         "$A",
         "<none>"},
        {"4: both, different",
         A,
         B,
         nothing,
         {kPathSetTo + std::string("$B"), kSuccessful},
         true,
         "$B",
         "<none>"},
        {"5: same, folder present",
         A,
         A,
         nothing,
         {"   not needed, you can install and use ZQT plugins with no problem", ""},
         false,
         "<unchanged>",
         "<none>"},
        {"5: same, folder gone since start-up",
         Nested,
         Nested,
         folderRemoved,
         {"$N directory created", ""},
         false,
         "<unchanged>",
         "<none>"},
        {"5: same, folder cannot be made",
         Nested,
         Nested,
         folderBlocked,
         {kPathSetTo + std::string("$D"), kSuccessful, ""},
         false,
         "$D",
         "$D"},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CreateDirectoryA(nestedParent.c_str(), nullptr);
        CreateDirectoryA(nested.c_str(), nullptr);
        auto input = [&](Path p) { return p == A ? folderA_ : p == B ? folderB_ : nested; };
        const std::string registryIn = input(c.registry), variableIn = input(c.variable);
        std::unique_ptr<ReportDocument> document = documentWith(c.registry == unset ? nullptr : &registryIn,
                                                                c.variable == unset ? nullptr : &variableIn);
        // The start-up file exists here, so no warning about a missing one.
        if (systemClass_ <= 1) writeWholeFile(kStartupFile, "@ECHO OFF\r\n");
        const std::string storedNested = storedForm(nested);
        if (c.afterStart != nothing) {
            removeFolder(nested);
            removeFolder(nestedParent);
            if (c.afterStart == folderBlocked) writeWholeFile(nestedParent, "a file in the way");
        }

        auto expand = [&](std::string text) {
            const std::pair<const char*, std::string> tokens[] = {{"$A", storedForm(folderA_)},
                                                                  {"$B", storedForm(folderB_)},
                                                                  {"$N", storedNested},
                                                                  {"$D", defaultFolder_}};
            for (const auto& token : tokens) {
                const size_t at = text.find(token.first);
                if (at != std::string::npos) text.replace(at, 2, token.second);
            }
            return text;
        };
        Lines summary;
        for (const std::string& line : c.summary) summary.push_back(expand(line));

        const String memo = repairPluginPath(*document);

        EXPECT_EQ(summary, toLines(document->summaryLines()));
        Lines details = summary;
        details.insert(details.begin(), "ZQT repair\r\n");
        if (c.trailingDetailOnly) details.push_back("");
        EXPECT_EQ(details, toLines(document->detailLines()));
        std::string memoText;
        for (const std::string& line : summary) memoText += line + "\r\n";
        EXPECT_EQ(memoText + "\r\n", memo.c_str());

        const std::string searchPath =
            c.searchPath == std::string("<unchanged>") ? registryIn : expand(c.searchPath);
        EXPECT_EQ(searchPath, searchPathValue());
        EXPECT_EQ(expand(c.variableOut), writtenVariable(systemClass_));
        if (c.searchPath == std::string("$D")) {
            // Settings pointed at the default folder: it is made first
            // (missing at the start of every case), so that they name a
            // folder that exists.
            EXPECT_TRUE(directoryExists(defaultFolder_.c_str()));
        }
        if (c.afterStart == folderRemoved) {
            EXPECT_TRUE(directoryExists(storedNested.c_str()));
        }
        DeleteFileA(nestedParent.c_str());
        removeFolder(nested);
        removeFolder(nestedParent);
    }
}

TEST_F(RepairTest, ReplacesTheReportOnScreenAndInTheLists) {
    std::unique_ptr<ReportDocument> document = documentWith(&folderA_, &folderA_);
    document->appendLine("an earlier report", false);
    document->appendLine("an earlier warning", true);
    CountingView view;
    document->attachView(&view);
    const String memo = repairPluginPath(*document);
    document->attachView(nullptr);
    EXPECT_EQ(1, view.clears);
    EXPECT_EQ(
        (Lines{"ZQT repair\r\n", "   not needed, you can install and use ZQT plugins with no problem", ""}),
        toLines(document->detailLines()));
    EXPECT_STREQ("   not needed, you can install and use ZQT plugins with no problem\r\n\r\n\r\n",
                 memo.c_str());
    EXPECT_STREQ(memo.c_str(), repairMemoText(*document).c_str());
    // The paths read at start-up stay as they were.
    EXPECT_STREQ(storedForm(folderA_).c_str(), document->pluginRegistryPath().c_str());
}

// Where the variable goes for each version class, on the real registry:
// the start-up file up to 98, the key without the blank on ME, with it after.
TEST_F(RepairTest, VariableGoesWhereTheVersionClassKeepsIt) {
    for (int versionClass : {1, 2, 3, 4, 5, 6, 7}) {
        SCOPED_TRACE("class " + std::to_string(versionClass));
        cleanUp();
        TestPlatform platform;
        platform.forcedClass = versionClass;
        ReportDocument document(false);
        EXPECT_TRUE(writePluginPathVariable(document, "C:\\SOME PLUGINS", platform));
        EXPECT_EQ("C:\\SOME PLUGINS", writtenVariable(static_cast<WindowsVersionClass>(versionClass)));
        EXPECT_EQ(versionClass <= 1 ? Lines{kWarningMissing} : Lines{}, toLines(document.summaryLines()));
        const Lines keys =
            versionClass <= 1 ? Lines{} : Lines{versionClass == 2 ? kEnvironmentKeyME : kEnvironmentKey};
        EXPECT_EQ(keys, platform.environmentKeys);
    }
}

// ---------------------------------------------------------------------------
// Failures Wine does not produce: keys and values refused.

TEST_F(RepairTest, RefusedRegistryMessagesInOrder) {
    enum {
        written = RepairPlatform::registryWritten,
        keyRefused = RepairPlatform::registryKeyRefused,
        valueRefused = RepairPlatform::registryValueRefused,
        real = -1
    };
    enum Start { neither, registryOnly, variableOnly, different };
    struct Case {
        const char* name;
        int versionClass;
        Start start;
        int search, environment;
        Lines summary;   // "$" stands for the folder the case sets
    } cases[] = {
        {"XP without administrator rights",
         5,
         neither,
         keyRefused,
         keyRefused,
         {"$", kEnvironmentKeyError, kSearchKeyError, kNoAdministrator, kUnsuccessful, ""}},
        {"ME: no administrator hint before NT",
         2,
         neither,
         keyRefused,
         written,
         {"$", kSearchKeyError, "ZQT plugins should work correctly", ""}},
        {"values refused",
         6,
         neither,
         valueRefused,
         valueRefused,
         {"$", kEnvironmentValueError, kSearchValueError, kUnsuccessful, ""}},
        {"only the registry, variable refused",
         6,
         registryOnly,
         real,
         keyRefused,
         {"$", kEnvironmentKeyError, kUnsuccessful, ""}},
        {"only the variable, registry refused",
         4,
         variableOnly,
         keyRefused,
         real,
         {"$", kSearchKeyError, kNoAdministrator,
          "There were some problems, but ZQT plugins should work correctly.", ""}},
        {"NT 4.0, both set, registry value refused",
         3,
         different,
         valueRefused,
         real,
         {"$", kSearchValueError, "ZQT repair unsuccessful, but ZQT plugins should work correctly."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<ReportDocument> document =
            documentWith(c.start == registryOnly || c.start == different ? &folderA_ : nullptr,
                         c.start == variableOnly || c.start == different ? &folderB_ : nullptr);
        TestPlatform platform;
        platform.forcedClass = c.versionClass;
        platform.searchOutcome = c.search;
        platform.environmentOutcome = c.environment;
        repairPluginPath(*document, platform);
        const std::string folder = c.start == neither        ? defaultFolder_
                                   : c.start == registryOnly ? storedForm(folderA_)
                                                             : storedForm(folderB_);
        Lines summary = c.summary;
        summary[0] = kPathSetTo + folder;
        EXPECT_EQ(summary, toLines(document->summaryLines()));
    }
}

TEST_F(RepairTest, DefaultFolderFallbacks) {
    struct Case {
        const char* name;
        std::string programFiles;
        bool blocked;    // a file stands where the folder would go
        Lines summary;   // "$" stands for the default folder
    } cases[] = {
        {"Program Files unknown: c:", "", false, {"$", kSuccessful, ""}},
        {"default folder cannot be made either",
         scratchDirectory() + "\\Blocked",
         true,
         {"$", kUnsuccessful, ""}},
    };
    const std::string nested = scratchDirectory() + "\\Gone";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestPlatform platform;
        platform.replaceProgramFiles = true;
        platform.programFiles = c.programFiles.c_str();
        platform.searchOutcome = RepairPlatform::registryWritten;
        platform.environmentOutcome = RepairPlatform::registryWritten;
        platform.forcedClass = 6;
        if (c.blocked) writeWholeFile(c.programFiles, "in the way");
        const std::string folder = defaultPluginDirectory(platform).c_str();
        EXPECT_EQ(c.programFiles.empty() ? "c:\\Brelvanx\\Plugins" : c.programFiles + "\\Brelvanx\\Plugins",
                  folder);

        // Case 1 when nothing is set; case 5's fallback when the common
        // folder has gone and cannot be made again.  Both make the default
        // folder before pointing at it, and fail alike when it cannot be made.
        std::unique_ptr<ReportDocument> neither = documentWith(nullptr, nullptr);
        repairPluginPath(*neither, platform);
        Lines summary = c.summary;
        summary[0] = kPathSetTo + folder;
        EXPECT_EQ(summary, toLines(neither->summaryLines()));
        EXPECT_EQ(!c.blocked, directoryExists(folder.c_str()));
        removeFolder(folder);

        CreateDirectoryA(nested.c_str(), nullptr);
        std::unique_ptr<ReportDocument> same = documentWith(&nested, &nested);
        removeFolder(nested);
        writeWholeFile(nested, "in the way");
        repairPluginPath(*same, platform);
        EXPECT_EQ(summary, toLines(same->summaryLines()));
        DeleteFileA(nested.c_str());
        DeleteFileA(c.programFiles.c_str());
        removeFolder(folder);
        removeFolder(folder.substr(0, folder.rfind('\\')));
    }
}

// ---------------------------------------------------------------------------
// The start-up file of Windows 95/98, on the real C:\autoexec.bat.

TEST_F(RepairTest, StartupFileRewrite) {
    const std::string userFile =
        "@ECHO OFF\r\nSET ZQT_PLUGIN_PATH=C:\\OLD\r\nPATH C:\\DOS;C:\\WINDOWS\r\n"
        "LH C:\\MOUSE\\MOUSE.COM\r\n";
    struct Case {
        const char* name;
        bool exists;
        std::string before;
        std::string after;
        Lines summary;
    } cases[] = {
        {"earlier SET line replaced at the end",
         true,
         userFile,
         "@ECHO OFF\r\nPATH C:\\DOS;C:\\WINDOWS\r\nLH C:\\MOUSE\\MOUSE.COM\r\nSET "
         "ZQT_PLUGIN_PATH=C:\\NEW\r\n",
         {}},
        {"missing file", false, "", "SET ZQT_PLUGIN_PATH=C:\\NEW\r\n", {kWarningMissing}},
        {"empty file", true, "", "SET ZQT_PLUGIN_PATH=C:\\NEW\r\n", {kWarningMissing}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cleanUp();
        if (c.exists) writeWholeFile(kStartupFile, c.before);
        TestPlatform platform;
        platform.forcedClass = std::min<int>(systemClass_, windows98);
        ReportDocument document(false);
        EXPECT_TRUE(writePluginPathVariable(document, "C:\\NEW", platform));
        EXPECT_EQ(c.after, readWholeFile(kStartupFile));
        EXPECT_EQ(c.summary, toLines(document.summaryLines()));
    }
}

TEST_F(RepairTest, StartupFileLeftAloneWhenItCannotBeReadOrSaved) {
    const std::string userFile = "@ECHO OFF\r\nPATH C:\\DOS\r\n";
    enum Obstacle { lockedByWriter, folderOfThatName, openWithoutDeleteSharing };
    struct Case {
        const char* name;
        Obstacle obstacle;
        const char* message;
    } cases[] = {
        {"a writer has it open", lockedByWriter, kReadError},
        {"a folder of that name", folderOfThatName, kReadError},
        {"open elsewhere, so it cannot be replaced", openWithoutDeleteSharing, kSaveError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cleanUp();
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.obstacle == folderOfThatName) {
            ASSERT_TRUE(CreateDirectoryA(kStartupFile, nullptr));
        } else {
            writeWholeFile(kStartupFile, userFile);
            held = CreateFileA(kStartupFile, c.obstacle == lockedByWriter ? GENERIC_WRITE : GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, held);
        }
        TestPlatform platform;
        platform.forcedClass = std::min<int>(systemClass_, windows98);
        ReportDocument document(false);
        EXPECT_FALSE(writePluginPathVariable(document, "C:\\NEW", platform));
        EXPECT_EQ(Lines{c.message}, toLines(document.summaryLines()));
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        if (c.obstacle == folderOfThatName) {
            EXPECT_TRUE(directoryExists(kStartupFile));
        } else {
            EXPECT_EQ(userFile, readWholeFile(kStartupFile));
        }
        // And the repair's outcome line says the variable was not set.
        std::unique_ptr<ReportDocument> repair = documentWith(&folderA_, nullptr);
        if (c.obstacle == folderOfThatName)
            CreateDirectoryA(kStartupFile, nullptr);
        else
            writeWholeFile(kStartupFile, userFile);
        held = c.obstacle == folderOfThatName
                   ? INVALID_HANDLE_VALUE
                   : CreateFileA(kStartupFile, c.obstacle == lockedByWriter ? GENERIC_WRITE : GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        repairPluginPath(*repair, platform);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ((Lines{kPathSetTo + storedForm(folderA_), c.message, kUnsuccessful, ""}),
                  toLines(repair->summaryLines()));
    }
}

// Fails the N-th file operation of the rewrite, for every N, and checks that
// the start-up file is at every outcome entirely the old one or entirely the
// new one, and that nothing is left beside it.
class FailingFiles : public FileOperations {
public:
    FailingFiles(int failAt, bool oneStep) : failAt_(failAt), oneStep_(oneStep) {}
    int calls() const { return calls_; }
    const std::string& failed() const { return failed_; }

    ReadOutcome readWholeFile(const String& path, std::string& bytes) override {
        return fails("read") ? fileUnreadable : FileOperations::readWholeFile(path, bytes);
    }
    bool createUniqueFile(const String& folder, const char* prefix, String& path) override {
        return !fails("createUniqueFile") && FileOperations::createUniqueFile(folder, prefix, path);
    }
    HANDLE openForWriting(const String& path) override {
        return fails("openForWriting") ? INVALID_HANDLE_VALUE : FileOperations::openForWriting(path);
    }
    bool write(HANDLE file, const void* bytes, DWORD count) override {
        // A disk that fills up: part of the bytes arrive.
        if (fails("write")) return FileOperations::write(file, bytes, count / 2) && false;
        return FileOperations::write(file, bytes, count);
    }
    bool flush(HANDLE file) override { return !fails("flush") && FileOperations::flush(file); }
    bool close(HANDLE file) override {
        // The handle is gone either way; only the report says "failed".
        const bool closed = FileOperations::close(file);
        return !fails("close") && closed;
    }
    bool canReplaceInOneStep() override { return oneStep_; }
    bool replace(const String& from, const String& to) override {
        return !fails("replace") && FileOperations::replace(from, to);
    }
    bool move(const String& from, const String& to) override {
        return !fails("move") && FileOperations::move(from, to);
    }
    bool remove(const String& path) override { return !fails("remove") && FileOperations::remove(path); }

private:
    bool fails(const char* operation) {
        if (++calls_ != failAt_) return false;
        failed_ = operation;
        return true;
    }
    int failAt_;
    bool oneStep_;
    int calls_ = 0;
    std::string failed_;
};

TEST_F(RepairTest, StartupFileIsEntirelyOldOrNewWhicheverOperationFails) {
    const std::string oldText = "@ECHO OFF\r\nSET ZQT_PLUGIN_PATH=C:\\OLD\r\nPATH C:\\DOS\r\n";
    const std::string newText = rewriteStartupFileText(oldText, "C:\\NEW");
    const std::string newFromNothing = rewriteStartupFileText("", "C:\\NEW");
    for (bool oneStep : {true, false}) {
        // MoveFileExA is missing on Windows 95/98, so there only the renames.
        if (oneStep && !systemFileOperations().canReplaceInOneStep()) continue;
        for (bool exists : {true, false}) {
            for (int failAt = 1;; ++failAt) {
                SCOPED_TRACE(std::string(oneStep ? "one-step replace" : "renames") +
                             (exists ? ", file exists" : ", no file") + ", failing operation " +
                             std::to_string(failAt));
                cleanUp();
                if (exists) writeWholeFile(kStartupFile, oldText);
                FailingFiles files(failAt, oneStep);
                TestPlatform platform;
                platform.forcedClass = std::min<int>(systemClass_, windows98);
                platform.fileOperations = &files;
                ReportDocument document(false);
                const bool written = writePluginPathVariable(document, "C:\\NEW", platform);
                SCOPED_TRACE("failed: " + files.failed());

                const std::string now = readWholeFile(kStartupFile);
                const std::string expectedNew = exists ? newText : newFromNothing;
                if (written) {
                    EXPECT_EQ(expectedNew, now);
                } else {
                    EXPECT_EQ(exists ? oldText : "", now);
                    EXPECT_EQ(exists, pathExists(kStartupFile));
                    const Lines summary = toLines(document.summaryLines());
                    ASSERT_FALSE(summary.empty());
                    EXPECT_EQ(files.failed() == "read" ? kReadError : kSaveError, summary.back());
                }
                // Only a failed clean-up may leave a file of ours behind.
                const std::vector<std::string> left = leftoverFiles();
                if (files.failed() != "remove") EXPECT_EQ(std::vector<std::string>{}, left);
                for (const std::string& name : left) DeleteFileA(("C:\\" + name).c_str());

                if (files.calls() < failAt) {
                    // Every operation has had its turn to fail.
                    EXPECT_TRUE(written);
                    EXPECT_GE(failAt, 6);
                    break;
                }
            }
        }
    }
}

}   // namespace
