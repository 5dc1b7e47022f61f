#include "foundation/DynamicCalls.h"
#include "foundation/FileStream.h"
#include "foundation/Files.h"
#include "foundation/SystemQueries.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

OSVERSIONINFOA versionInfo(DWORD major, DWORD minor, DWORD platform) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.dwPlatformId = platform;
    return info;
}

TEST(WindowsVersionClass, FromGivenVersionRecords) {
    const DWORD nine = VER_PLATFORM_WIN32_WINDOWS, nt = VER_PLATFORM_WIN32_NT;
    struct Row {
        DWORD major, minor, platform;
        int expected;   // the fixed numbers other code compares with
        const char* name;
    } rows[] = {
        {4, 0, nine, 0, "Windows 95"},        {4, 3, nine, 0, "Windows 95"},  {4, 10, nine, 1, "Windows 98"},
        {4, 89, nine, 1, "Windows 98"},       {4, 90, nine, 2, ""},           {4, 0, nt, 3, "Windows NT 4.0"},
        {4, 10, nt, 3, "Windows NT 4.0"},     {5, 0, nt, 4, "Windows 2000"},  {5, 1, nt, 5, "Windows XP"},
        {5, 2, nt, 7, "Windows 2003 Server"}, {5, 3, nt, 0, "Windows 95"},    {6, 0, nt, 6, "Windows Vista"},
        {6, 1, nt, 6, "Windows Vista"},       {6, 3, nt, 6, "Windows Vista"}, {3, 51, nt, 0, "Windows 95"},
        {10, 0, nt, 0, "Windows 95"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.major << "." << row.minor << " platform " << row.platform);
        OSVERSIONINFOA info = versionInfo(row.major, row.minor, row.platform);
        EXPECT_EQ(static_cast<int>(classifyWindowsVersion(&info)), row.expected);
        EXPECT_STREQ(windowsVersionName(&info).c_str(), row.name);
    }
}

// Wine's emulated Windows version (the prefix copy the wrapper made for
// Q8_WINE_VERSION) seen through GetVersionExA.
TEST(WindowsVersionClass, UnderTheEmulatedWindowsVersion) {
    const char* emulated = std::getenv("Q8_WINE_VERSION");
    if (!emulated) GTEST_SKIP() << "runs only with an emulated Windows version";
    struct Row {
        const char* wine;
        DWORD major, minor, platform;
        int expected;   // the fixed numbers other code compares with
    } rows[] = {
        {"win95", 4, 0, VER_PLATFORM_WIN32_WINDOWS, 0}, {"win98", 4, 10, VER_PLATFORM_WIN32_WINDOWS, 1},
        {"nt40", 4, 0, VER_PLATFORM_WIN32_NT, 3},       {"win2k", 5, 0, VER_PLATFORM_WIN32_NT, 4},
        {"winxp", 5, 1, VER_PLATFORM_WIN32_NT, 5},      {"winxp64", 5, 2, VER_PLATFORM_WIN32_NT, 7},
        {"win2003", 5, 2, VER_PLATFORM_WIN32_NT, 7},    {"vista", 6, 0, VER_PLATFORM_WIN32_NT, 6},
        {"win7", 6, 1, VER_PLATFORM_WIN32_NT, 6},
    };
    const Row* row = nullptr;
    for (const Row& r : rows)
        if (std::strcmp(r.wine, emulated) == 0) row = &r;
    ASSERT_NE(row, nullptr) << "no expectation for " << emulated;

    OSVERSIONINFOA actual{};
    actual.dwOSVersionInfoSize = sizeof actual;
    ASSERT_TRUE(GetVersionExA(&actual));
    EXPECT_EQ(actual.dwMajorVersion, row->major);
    EXPECT_EQ(actual.dwMinorVersion, row->minor);
    EXPECT_EQ(actual.dwPlatformId, row->platform);
    EXPECT_EQ(static_cast<int>(classifyWindowsVersion()), row->expected);
    EXPECT_EQ(windowsVersionName(), windowsVersionClassName(static_cast<WindowsVersionClass>(row->expected)));
    // Windows 9x exports a MoveFileExA that only fails: the table hides it there.
    EXPECT_EQ(dynamicCalls().moveFileExA == nullptr, row->platform == VER_PLATFORM_WIN32_WINDOWS);
}

// The machine field of a PE image: 0x14c for i386, 0x8664 for x64.
unsigned imageMachine(const String& path) {
    FileStream file(path, GENERIC_READ, OPEN_EXISTING);
    unsigned char header[0x400] = {};
    if (file.read(header, sizeof header) != sizeof header) return 0;
    uint32_t peOffset;
    std::memcpy(&peOffset, header + 0x3C, 4);
    if (peOffset > sizeof header - 6) return 0;
    return header[peOffset + 4] | header[peOffset + 5] << 8;
}

bool expectWow64() {
    const char* value = std::getenv("Q8_EXPECT_WOW64");
    return value && std::strcmp(value, "1") == 0;
}

TEST(Wow64, DetectionMatchesThePrefix) { EXPECT_EQ(runningUnderWow64(), expectWow64()); }

TEST(Wow64, RedirectionOffShowsTheNativeSystemFolder) {
    const String kernel32 = systemDirectory() + "\\kernel32.dll";
    ASSERT_EQ(imageMachine(kernel32), 0x14Cu);
    {
        Wow64RedirectionOff off;
        EXPECT_EQ(imageMachine(kernel32), expectWow64() ? 0x8664u : 0x14Cu);
    }
    EXPECT_EQ(imageMachine(kernel32), 0x14Cu);
}

TEST(Wow64, MissingFunctionsSelectTheFallback) {
    // As on a Windows that predates them.
    DynamicCalls& calls = dynamicCallsForTesting();
    const DynamicCalls saved = calls;
    calls.isWow64Process = nullptr;
    calls.wow64EnableWow64FsRedirection = nullptr;
    EXPECT_FALSE(runningUnderWow64());
    const String kernel32 = systemDirectory() + "\\kernel32.dll";
    setWow64FsRedirection(false);
    EXPECT_EQ(imageMachine(kernel32), 0x14Cu);
    setWow64FsRedirection(true);
    calls = saved;
}

TEST(Folders, WindowsSystemAndSpecialFolders) {
    const String windows = windowsDirectory(), system = systemDirectory();
    EXPECT_TRUE(directoryExists(windows)) << windows.c_str();
    EXPECT_TRUE(directoryExists(system)) << system.c_str();
    EXPECT_EQ(system.upperCase().find(windows.upperCase()), 0) << system.c_str();

    for (int csidl : {CSIDL_PERSONAL, CSIDL_APPDATA, CSIDL_PROGRAM_FILES, CSIDL_DESKTOPDIRECTORY,
                      CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        SCOPED_TRACE(csidl);
        const String path = specialFolderPath(csidl);
        EXPECT_FALSE(path.isEmpty());
        EXPECT_TRUE(directoryExists(path)) << path.c_str();
    }
}

TEST(Folders, SpecialFolderIsCreatedWhenMissing) {
    const String favorites = specialFolderPath(CSIDL_FAVORITES);
    ASSERT_FALSE(favorites.isEmpty());
    // The test prefix's own favorites folder; empty unless something put files there.
    if (!RemoveDirectoryA(favorites.c_str())) GTEST_SKIP() << "favorites folder not empty";
    ASSERT_FALSE(directoryExists(favorites));
    EXPECT_EQ(specialFolderPath(CSIDL_FAVORITES), favorites);
    EXPECT_TRUE(directoryExists(favorites));
}

TEST(Folders, FailedQueryGivesEmptyText) {
    EXPECT_TRUE(specialFolderPath(0x7F).isEmpty());   // no such folder id
}

// Windows 95 and NT 4.0 without shfolder.dll: the folders come from the
// shell's values in the registry, the same folders the function names.
TEST(Folders, WithoutTheFunctionTheRegistryNamesTheFolders) {
    const int folders[] = {CSIDL_PERSONAL,
                           CSIDL_APPDATA,
                           CSIDL_PROGRAM_FILES,
                           CSIDL_DESKTOPDIRECTORY,
                           CSIDL_COMMON_DESKTOPDIRECTORY,
                           CSIDL_PROGRAMS,
                           CSIDL_COMMON_PROGRAMS};
    String expected[sizeof folders / sizeof folders[0]];
    for (size_t i = 0; i < sizeof folders / sizeof folders[0]; ++i)
        expected[i] = specialFolderPath(folders[i]);

    DynamicCalls& calls = dynamicCallsForTesting();
    const auto saved = calls.shGetFolderPathA;
    calls.shGetFolderPathA = nullptr;
    for (size_t i = 0; i < sizeof folders / sizeof folders[0]; ++i) {
        SCOPED_TRACE(folders[i]);
        EXPECT_STREQ(specialFolderPath(folders[i]).upperCase().c_str(), expected[i].upperCase().c_str());
    }
    EXPECT_TRUE(specialFolderPath(CSIDL_FONTS).isEmpty());   // a folder the table does not know
    EXPECT_TRUE(specialFolderPath(0x7F).isEmpty());
    calls.shGetFolderPathA = saved;
}

// What Q8DIAG_EMULATE_WINDOWS does: every function the named Windows lacks
// is hidden, the others stay as the system gave them; an unknown name hides
// nothing.
TEST(DynamicCallsEmulation, EachWindowsLosesWhatItLacks) {
    struct Row {
        const char* windows;
        bool longPath, folderPath, memoryEx, wow64Process, nativeInfo, languageGroups, diskFreeEx,
            redirection, transparentBlt, commonControlsEx;
    } rows[] = {
        {"win95", false, false, false, false, false, false, false, false, false, false},
        {"win98", true, false, false, false, false, false, true, false, true, true},
        {"nt40", false, false, false, false, false, false, true, false, false, false},
        {"win2k", true, true, true, false, false, true, true, false, true, true},
        {"winxp", true, true, true, true, true, true, true, false, true, true},
    };
    const DynamicCalls& real = dynamicCalls();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.windows);
        DynamicCalls calls = real;
        ASSERT_TRUE(hideCallsMissingOn(calls, r.windows));
        EXPECT_EQ(calls.getLongPathNameA != nullptr, r.longPath && real.getLongPathNameA != nullptr)
            << "getLongPathNameA";
        EXPECT_EQ(calls.shGetFolderPathA != nullptr, r.folderPath && real.shGetFolderPathA != nullptr)
            << "shGetFolderPathA";
        EXPECT_EQ(calls.globalMemoryStatusEx != nullptr, r.memoryEx && real.globalMemoryStatusEx != nullptr)
            << "globalMemoryStatusEx";
        EXPECT_EQ(calls.isWow64Process != nullptr, r.wow64Process && real.isWow64Process != nullptr)
            << "isWow64Process";
        EXPECT_EQ(calls.getNativeSystemInfo != nullptr, r.nativeInfo && real.getNativeSystemInfo != nullptr)
            << "getNativeSystemInfo";
        EXPECT_EQ(calls.enumSystemLanguageGroupsA != nullptr,
                  r.languageGroups && real.enumSystemLanguageGroupsA != nullptr)
            << "enumSystemLanguageGroupsA";
        EXPECT_EQ(calls.getDiskFreeSpaceExA != nullptr, r.diskFreeEx && real.getDiskFreeSpaceExA != nullptr)
            << "getDiskFreeSpaceExA";
        EXPECT_EQ(calls.wow64EnableWow64FsRedirection != nullptr,
                  r.redirection && real.wow64EnableWow64FsRedirection != nullptr)
            << "wow64EnableWow64FsRedirection";
        EXPECT_EQ(calls.transparentBlt != nullptr, r.transparentBlt && real.transparentBlt != nullptr)
            << "transparentBlt";
        EXPECT_EQ(calls.initCommonControlsEx != nullptr,
                  r.commonControlsEx && real.initCommonControlsEx != nullptr)
            << "initCommonControlsEx";
    }
    DynamicCalls calls = real;
    EXPECT_FALSE(hideCallsMissingOn(calls, "win7"));
    EXPECT_EQ(calls.getLongPathNameA, real.getLongPathNameA);
}

TEST(Environment, ValuesOfEveryLength) {
    struct Row {
        const char* name;
        String value;
        bool set;
    } rows[] = {
        {"Q8_TEST_SHORT", "C:\\plugins", true},
        {"Q8_TEST_LONG", String('x', 5000), true},
        {"Q8_TEST_EMPTY", "", true},
        {"Q8_TEST_UNSET", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetEnvironmentVariableA(row.name, row.set ? row.value.c_str() : nullptr);
        EXPECT_EQ(environmentValue(row.name), row.value);
        SetEnvironmentVariableA(row.name, nullptr);
    }
}

TEST(SystemQueries, Kernel32HandleIsCached) {
    EXPECT_EQ(kernel32Handle(), GetModuleHandleA("kernel32.dll"));
    EXPECT_EQ(kernel32Handle(), kernel32Handle());
}

TEST(SystemQueries, CurrentFolderLeavesTheDllSearch) {
    // Libraries that exist only in the current folder: found there before,
    // not after.  Two names, so that the second load cannot be answered from
    // the module list.
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    const String folder = String(temp) + "q8_dll_search";
    CreateDirectoryA(folder.c_str(), nullptr);
    const char* names[] = {"q8_cwd_probe_before.dll", "q8_cwd_probe_after.dll"};
    for (const char* name : names)
        ASSERT_TRUE(CopyFileA("q8_version_fixture_A.dll", (folder + "\\" + name).c_str(), FALSE));
    char oldFolder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, oldFolder);
    SetCurrentDirectoryA(folder.c_str());

    HMODULE before = LoadLibraryA(names[0]);
    EXPECT_NE(before, nullptr);
    ASSERT_TRUE(removeCurrentDirectoryFromDllSearch());
    HMODULE after = LoadLibraryA(names[1]);
    // Wine 8 accepts the empty DLL directory but still searches the current
    // folder; real Windows (XP SP1 and later) does not.
    const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    if (!wine) {
        EXPECT_EQ(after, nullptr);
    }

    for (HMODULE module : {before, after})
        if (module) FreeLibrary(module);
    dynamicCalls().setDllDirectoryA(nullptr);   // the default search again
    SetCurrentDirectoryA(oldFolder);
    for (const char* name : names) DeleteFileA((folder + "\\" + name).c_str());
    RemoveDirectoryA(folder.c_str());

    // Before XP SP1 there is nothing to call: false, and nothing happens.
    DynamicCalls& calls = dynamicCallsForTesting();
    const auto saved = calls.setDllDirectoryA;
    calls.setDllDirectoryA = nullptr;
    EXPECT_FALSE(removeCurrentDirectoryFromDllSearch());
    calls.setDllDirectoryA = saved;
}

}   // namespace
