// The system section under Wine, in the 32-bit prefix or under WoW64 in the
// 64-bit one (Q8_EXPECT_WOW64), and in prefix copies set to older Windows
// versions (Q8_WINE_VERSION).
#include "foundation/Win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "foundation/DynamicCalls.h"
#include "foundation/SystemQueries.h"
#include "inventory/ProcessorName.h"
#include "inventory/SystemSection.h"
#include "foundation/LineCollector.h"

namespace {

bool expectWow64() {
    const char* value = std::getenv("Q8_EXPECT_WOW64");
    return value && value[0] == '1';
}

// A size in the report's unit pattern: higher units only while something is
// left, so 0, 1023, 1k0, 2m0k7, 70g399m732k0.
const char kSize[] = R"((?:[1-9]\d*g\d+m\d+k|[1-9]\d*m\d+k|[1-9]\d*k)?\d+)";

struct Cursor {
    const std::vector<std::string>& lines;
    size_t at = 0;
    std::string next() { return at < lines.size() ? lines[at++] : std::string("<end of output>"); }
    std::string peek() const { return at < lines.size() ? lines[at] : std::string(); }
};

void expectMatch(const std::string& pattern, const std::string& line) {
    EXPECT_TRUE(std::regex_match(line, std::regex(pattern)))
        << "line: \"" << line << "\"\npattern: " << pattern;
}

// Checks the section line by line; the version and OS type lines must be as
// given, everything else by its format.  Returns the lines of the disk and
// memory blocks for the callers' own checks.
void checkSection(const std::vector<std::string>& lines, const std::string& versionLine,
                  const std::string& osTypeLine, std::vector<std::string>* disks = nullptr,
                  std::vector<std::string>* memory = nullptr) {
    Cursor c{lines};
    EXPECT_EQ("", c.next());
    EXPECT_EQ("OS details:", c.next());
    EXPECT_EQ(versionLine, c.next());
    EXPECT_EQ(osTypeLine, c.next());
    EXPECT_EQ("", c.next());
    EXPECT_EQ("Processor details:", c.next());
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    char revision[16];
    std::snprintf(revision, sizeof revision, "%04x", info.wProcessorRevision);
    EXPECT_EQ("   architecture: x86 (" + std::to_string(info.wProcessorArchitecture) + ")", c.next());
    EXPECT_EQ("   number of processors: " + std::to_string(info.dwNumberOfProcessors), c.next());
    EXPECT_EQ("   processor type: " + std::to_string(info.dwProcessorType), c.next());
    EXPECT_EQ("   processor level: " + std::to_string(info.wProcessorLevel), c.next());
    EXPECT_EQ(std::string("   processor revision: ") + revision, c.next());
    expectMatch(R"(   page size: [1-9]\d*)", c.next());
    EXPECT_EQ(std::string("   ") + processorName().c_str(), c.next());
    if (c.peek().rfind("   Speed: ", 0) == 0) expectMatch(R"(   Speed: [1-9]\d* MHz)", c.next());

    EXPECT_EQ("", c.next());
    EXPECT_EQ("Disks:", c.next());
    const DWORD drives = GetLogicalDrives();
    for (int bit = 0; bit < 26; ++bit) {
        if (!(drives & (1u << bit))) continue;
        const std::string line = c.next();
        if (disks) disks->push_back(line);
        const std::string letter(1, (char)('A' + bit));
        if (line.find("[hard disk]") != std::string::npos) {
            expectMatch(letter + R"( \[hard disk\] : )" + kSize + "/" + kSize, line);
        } else {
            expectMatch(letter + R"( \[(unknown|mounted|removable|remote|cdrom|ramdisk)\])", line);
        }
    }

    EXPECT_EQ("", c.next());
    EXPECT_EQ("Memory:", c.next());
    for (const char* label : {"   free: ", "   total: ", "   swap: "}) {
        const std::string line = c.next();
        if (memory) memory->push_back(line);
        expectMatch(std::string(label) + kSize, line);
    }

    EXPECT_EQ("", c.next());
    expectMatch("Active code page .+", c.next());
    EXPECT_EQ("Supported language groups:", c.next());
    size_t groups = 0;
    while (c.at < lines.size() && c.peek() != "") {
        expectMatch("   .+", c.next());
        ++groups;
    }
    EXPECT_GT(groups, 0u);
}

std::vector<std::string> sectionInProcess() {
    LineCollector out;
    writeSystemSection(out);
    return out.lines;
}

// What the first lines must read in each prefix and emulated version.  A
// null version line means the Windows 9x rule: major and minor sit in the
// build field's high word, and the whole 32-bit field is printed.
struct VersionCase {
    bool wow64;
    const char* wineVersion;   // "" for the prefix's default (Windows 7)
    const char* versionLine;
    const char* osTypeLine;   // null: "Windows Vista" + the service pack
};
const VersionCase kVersionCases[] = {
    {false, "", "", nullptr},
    {false, "winxp", "   Version: 5.1.2600", "   OS type=Windows XP Service Pack 3"},
    // No service pack: the line keeps its trailing blank.
    {false, "win95", nullptr, "   OS type=Windows 95 "},
    // Windows 98's service-pack text is " A ", after the separating blank.
    {false, "win98", nullptr, "   OS type=Windows 98  A "},
    {true, "", "", nullptr},
    {true, "winxp64", "   Version: 5.2.3790", "   OS type=Windows 2003 Server64 Service Pack 2"},
};

std::string wineVersion() {
    const char* value = std::getenv("Q8_WINE_VERSION");
    return value ? value : "";
}

TEST(SystemSection, UnderThisPrefixAndWindowsVersion) {
    ASSERT_EQ(expectWow64(), runningUnderWow64());
    const VersionCase* row = nullptr;
    for (const VersionCase& c : kVersionCases) {
        if (c.wow64 == expectWow64() && wineVersion() == c.wineVersion) row = &c;
    }
    ASSERT_NE(nullptr, row) << "no expectations for " << wineVersion();

    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    const std::string wholeVersion = "   Version: " + std::to_string(version.dwMajorVersion) + "." +
                                     std::to_string(version.dwMinorVersion) + "." +
                                     std::to_string(version.dwBuildNumber);
    std::string versionLine = row->versionLine ? row->versionLine : wholeVersion;
    std::string osType = row->osTypeLine ? row->osTypeLine : "";
    if (!row->osTypeLine) {
        ASSERT_EQ(6u, version.dwMajorVersion);
        versionLine = wholeVersion;
        osType = std::string("   OS type=Windows Vista") + (expectWow64() ? "64" : "") + " " +
                 version.szCSDVersion;
    }
    if (!row->versionLine) {
        ASSERT_EQ((DWORD)VER_PLATFORM_WIN32_WINDOWS, version.dwPlatformId);
        EXPECT_EQ(version.dwMajorVersion, version.dwBuildNumber >> 24);
        EXPECT_EQ(version.dwMinorVersion, (version.dwBuildNumber >> 16) & 0xFF);
        EXPECT_GT(version.dwBuildNumber, 0xFFFFu);
    }

    std::vector<std::string> disks, memory;
    const std::vector<std::string> lines = sectionInProcess();
    checkSection(lines, versionLine, osType, &disks, &memory);

    // C is a fixed disk in every Wine prefix; its total does not move.
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &free));
    ASSERT_FALSE(disks.empty());
    const std::string c = disks[0].substr(0, 1) == "C" ? disks[0] : disks.at(1);
    EXPECT_EQ(std::string("/") + sizeText((int64_t)total.QuadPart).c_str(), c.substr(c.rfind('/')));

    // Windows 95 and 98 take the old memory query, whose fields stop at 2 GB
    // each; the used page file must not go negative even then.
    uint64_t totalPhysical = 0;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        MEMORYSTATUS status = {};
        status.dwLength = sizeof status;
        GlobalMemoryStatus(&status);
        totalPhysical = status.dwTotalPhys;
    } else {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof status;
        ASSERT_TRUE(GlobalMemoryStatusEx(&status));
        totalPhysical = status.ullTotalPhys;
    }
    EXPECT_EQ(std::string("   total: ") + sizeText((int64_t)totalPhysical).c_str(), memory.at(1));
    EXPECT_EQ(std::string::npos, memory.at(2).find('-')) << memory.at(2);

    CPINFOEXA codePage = {};
    ASSERT_TRUE(GetCPInfoExA(GetACP(), 0, &codePage));
    EXPECT_EQ(
        1u, std::count(lines.begin(), lines.end(), std::string("Active code page ") + codePage.CodePageName));
}

// Windows 95, 98 and NT 4.0 have no GetCPInfoExA: the line still names the
// active code page, by its number.
TEST(SystemSection, CodePageWithoutGetCPInfoExIsItsNumber) {
    DynamicCalls& calls = dynamicCallsForTesting();
    const auto saved = calls.getCPInfoExA;
    calls.getCPInfoExA = nullptr;
    const std::vector<std::string> lines = sectionInProcess();
    calls.getCPInfoExA = saved;
    EXPECT_EQ(1, std::count(lines.begin(), lines.end(), "Active code page " + std::to_string(GetACP())));
}

TEST(SystemSection, DriveTypeNames) {
    const char* expected[] = {"unknown", "mounted", "removable", "hard disk",
                              "remote",  "cdrom",   "ramdisk",   ""};
    for (unsigned type = 0; type < 8; ++type) {
        SCOPED_TRACE(type);
        EXPECT_STREQ(expected[type], driveTypeText(type));
    }
    String name;
    EXPECT_EQ((unsigned)DRIVE_FIXED, driveTypeName('C', &name));
    EXPECT_STREQ("hard disk", name.c_str());
    // A letter with no drive behind it: no root directory.
    const DWORD drives = GetLogicalDrives();
    for (int bit = 25; bit >= 3; --bit) {
        if (drives & (1u << bit)) continue;
        EXPECT_EQ((unsigned)DRIVE_NO_ROOT_DIR, driveTypeName((char)('A' + bit), &name));
        EXPECT_STREQ("mounted", name.c_str());
        EXPECT_EQ(0u, driveTotalBytes((char)('A' + bit)));
        break;
    }
}

}   // namespace
