// File lines under Wine, on real files: sizes, version, time stamp, and the
// plug-in check with the stand-in plug-ins built into bin/plugins/.
#include "foundation/Win32.h"
#include "foundation/String.h"
#include "receiver/FileDescription.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string binDirectory() {
    const char* bin = std::getenv("Q8_BIN_DIR");
    if (bin != nullptr && *bin != 0) {
        // CTest passes the Unix path; Wine maps "/" to drive Z:.
        std::string path = std::string("Z:") + bin;
        for (char& c : path)
            if (c == '/') c = '\\';
        return path;
    }
    char module[1024];
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path = module;
    return path.substr(0, path.rfind('\\'));
}

std::string pluginPath(const char* file) { return binDirectory() + "\\plugins\\" + file; }

// A scratch folder of its own under the prefix's temporary folder.
class ScratchFolder {
public:
    ScratchFolder() {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + "q8filedesc" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (const std::string& file : files_) DeleteFileA(file.c_str());
        RemoveDirectoryA((path_ + "\\sub").c_str());
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& path() const { return path_; }

    // A file of `size` bytes (sparse where the file system allows) with a
    // fixed last-write time, so the expected line can be computed.
    std::string makeFile(const std::string& name, uint64_t size, const char* content = nullptr) {
        const std::string file = path_ + "\\" + name;
        HANDLE h = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, h) << file;
        if (content != nullptr) {
            DWORD written = 0;
            WriteFile(h, content, DWORD(std::strlen(content)), &written, nullptr);
        } else {
            LONG high = LONG(size >> 32);
            SetFilePointer(h, LONG(size & 0xFFFFFFFF), &high, FILE_BEGIN);
            SetEndOfFile(h);
        }
        SYSTEMTIME st = {2024, 3, 0, 15, 13, 45, 30, 0};
        FILETIME ft;
        SystemTimeToFileTime(&st, &ft);
        SetFileTime(h, nullptr, nullptr, &ft);
        CloseHandle(h);
        files_.push_back(file);
        return file;
    }

private:
    std::string path_;
    std::vector<std::string> files_;
};

// The part of the line before the plug-in suffix, built from the file's
// directory entry with the locale calls directly.
std::string expectedHead(const std::string& path, const std::string& shownName, const char* version) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(path.c_str(), &fd);
    EXPECT_NE(INVALID_HANDLE_VALUE, h) << path;
    FindClose(h);
    SYSTEMTIME st;
    FileTimeToSystemTime(&fd.ftLastWriteTime, &st);
    char date[128] = "";
    char time[128] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof time);
    const uint64_t size = uint64_t(fd.nFileSizeHigh) << 32 | fd.nFileSizeLow;
    std::string head = shownName + ": " + sizeText(int64_t(size)).c_str() + ", ";
    if (version != nullptr) head += std::string("ver. ") + version + ", ";
    return head + date + " " + time;
}

std::string describe(const std::string& path, bool fullPath = false) {
    return describeFile(String(path.c_str()), fullPath).c_str();
}

TEST(FileDescription, SizesAndTimeStamp) {
    ScratchFolder folder;
    struct Row {
        uint64_t size;
        const char* text;
    };
    const Row rows[] = {
        {0, "0"},
        {1023, "1023"},
        {1024, "1k0"},
        {1536, "1k512"},
        {1500000, "1m440k864"},
        {5000000000ULL, "4g672m380k512"},   // sparse: nothing is written
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const std::string file = folder.makeFile("size" + std::to_string(row.size) + ".bin", row.size);
        const std::string line = describe(file);
        EXPECT_EQ(expectedHead(file, "size" + std::to_string(row.size) + ".bin", nullptr), line);
        EXPECT_NE(std::string::npos, line.find(std::string(": ") + row.text + ", ")) << line;
    }
    // The full path instead of the name.
    const std::string file = folder.makeFile("full.bin", 10);
    EXPECT_EQ(expectedHead(file, file, nullptr), describe(file, true));
}

TEST(FileDescription, MissingPathAndDirectoryGiveNameOnly) {
    ScratchFolder folder;
    CreateDirectoryA((folder.path() + "\\sub").c_str(), nullptr);
    EXPECT_EQ("sub: ", describe(folder.path() + "\\sub"));
    EXPECT_EQ(folder.path() + "\\sub: ", describe(folder.path() + "\\sub", true));
    EXPECT_EQ("missing.dll: ", describe(folder.path() + "\\missing.dll"));
}

// One row per kind of library: what follows the time stamp, and whether the
// file may have been loaded at all.
TEST(FileDescription, PluginCheck) {
    struct Row {
        const char* file;
        const char* version;
        std::string suffix;
        bool mayLoad;
    };
    const Row rows[] = {
        {"q8plugin_text0.dll", "1.2.3.4", "  \"Test Plugin Zero\" ", true},
        {"q8plugin_text5.dll", nullptr, "  \"Test Plugin Five\" <5>", true},
        {"q8plugin_silent.dll", nullptr, "", true},
        {"q8plugin_fault.dll", nullptr, " ZQT error", true},
        {"q8plugin_longname.dll", nullptr, "  \"" + std::string(1024, 'N') + "\" ", true},
        // Its dependency lies only in the plug-in's folder.
        {"q8plugin_withhelper.dll", nullptr, "  \"Plugin With Helper\" ", true},
        {"q8plugin_forwarded.dll", nullptr, "", false},
        {"q8plugin_none.dll", nullptr, "", false},
    };
    // Without the altered search path the helper-importing plug-in cannot
    // load: its dependency is neither next to this program nor in the current
    // or system folders.  (A failed load leaves nothing loaded.)
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    ASSERT_EQ(nullptr, LoadLibraryA(pluginPath("q8plugin_withhelper.dll").c_str()));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string path = pluginPath(row.file);
        // The error mode of the caller comes back on every path, faults included.
        SetErrorMode(0);
        const std::string line = describe(path);
        EXPECT_EQ(0u, SetErrorMode(0));
        EXPECT_EQ(expectedHead(path, row.file, row.version) + row.suffix, line);
        if (!row.mayLoad) {
            EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str())) << "loaded although it is no plug-in";
        }
    }
}

TEST(FileDescription, NonPeFileWithDllNameIsNotLoaded) {
    ScratchFolder folder;
    const std::string file = folder.makeFile(
        "fake.dll", 0,
        "MZ, then text: long enough to hold a header offset, but no PE image follows it at all.");
    EXPECT_EQ(expectedHead(file, "fake.dll", nullptr), describe(file));
    EXPECT_EQ(PeExportLookup::notPe, pluginExportLookup(String(file.c_str())));
}

TEST(FileDescription, ExportCheckOnBuiltLibraries) {
    struct Row {
        const char* file;
        PeExportLookup expected;
    };
    const Row rows[] = {
        {"q8plugin_text0.dll", PeExportLookup::exported},
        {"q8plugin_forwarded.dll", PeExportLookup::forwarded},
        {"q8plugin_none.dll", PeExportLookup::notExported},
        {"q8plugin_helper.dll", PeExportLookup::notExported},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        EXPECT_STREQ(peExportLookupName(row.expected),
                     peExportLookupName(pluginExportLookup(String(pluginPath(row.file).c_str()))));
    }
    char self[1024];
    GetModuleFileNameA(nullptr, self, sizeof self);
    EXPECT_EQ(PeExportLookup::notDll, pluginExportLookup(self));
}

}   // namespace
