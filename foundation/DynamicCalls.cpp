#include "foundation/DynamicCalls.h"
#include "foundation/ProcAddress.h"

#include <cstring>

namespace {

// The first release of each family whose system DLLs export a function;
// `never` for a family that has none.  Windows 95 OSR2 has functions the
// first Windows 95 lacks, and the table assumes the first.
enum class First9x { win95, win95Osr2, win98, winMe, never };
enum class FirstNt { nt4, win2000, xp, server2003, vista, never };
struct FirstRelease {
    First9x windows9x;
    FirstNt nt;
};

enum class Library { kernel32, shellFolders, msimg32, comctl32 };

// Every entry with its name, library and first releases, in one place for
// the look-up and for hiding what an emulated Windows lacks.
template <typename Visit>
void forEachEntry(DynamicCalls& c, Visit&& visit) {
    const Library k = Library::kernel32;
    visit(c.globalMemoryStatusEx, "GlobalMemoryStatusEx", k, FirstRelease{First9x::winMe, FirstNt::win2000});
    // XP SP2 and Server 2003 SP1; the table does not count service packs.
    visit(c.isWow64Process, "IsWow64Process", k, FirstRelease{First9x::never, FirstNt::xp});
    // 64-bit capable Windows only: the 32-bit XP has none.
    visit(c.wow64EnableWow64FsRedirection, "Wow64EnableWow64FsRedirection", k,
          FirstRelease{First9x::never, FirstNt::server2003});
    visit(c.getNativeSystemInfo, "GetNativeSystemInfo", k, FirstRelease{First9x::never, FirstNt::xp});
    visit(c.getSystemWow64DirectoryA, "GetSystemWow64DirectoryA", k,
          FirstRelease{First9x::never, FirstNt::xp});
    visit(c.getLongPathNameA, "GetLongPathNameA", k, FirstRelease{First9x::win98, FirstNt::win2000});
    // XP SP1.
    visit(c.setDllDirectoryA, "SetDllDirectoryA", k, FirstRelease{First9x::never, FirstNt::xp});
    // Windows 95/98/ME export MoveFileExA, but it only fails there with
    // ERROR_CALL_NOT_IMPLEMENTED: `never` makes callers take the fallback.
    visit(c.moveFileExA, "MoveFileExA", k, FirstRelease{First9x::never, FirstNt::nt4});
    visit(c.getDiskFreeSpaceExA, "GetDiskFreeSpaceExA", k, FirstRelease{First9x::win95Osr2, FirstNt::nt4});
    visit(c.getCPInfoExA, "GetCPInfoExA", k, FirstRelease{First9x::winMe, FirstNt::win2000});
    visit(c.enumSystemLanguageGroupsA, "EnumSystemLanguageGroupsA", k,
          FirstRelease{First9x::never, FirstNt::win2000});
    // Windows 95/98/ME run on one processor and document no affinity.
    visit(c.setThreadAffinityMask, "SetThreadAffinityMask", k, FirstRelease{First9x::never, FirstNt::nt4});
    // shell32 of Windows ME and 2000; shfolder.dll brings it to older systems
    // where a setup (Internet Explorer 5, many others) installed that.
    visit(c.shGetFolderPathA, "SHGetFolderPathA", Library::shellFolders,
          FirstRelease{First9x::winMe, FirstNt::win2000});
    // msimg32.dll came with Windows 98 and 2000.
    visit(c.transparentBlt, "TransparentBlt", Library::msimg32,
          FirstRelease{First9x::win98, FirstNt::win2000});
    // comctl32.dll 4.70 (Internet Explorer 3): Windows 98 and 2000 have it,
    // Windows 95 and NT 4.0 only where a later setup brought it.
    visit(c.initCommonControlsEx, "InitCommonControlsEx", Library::comctl32,
          FirstRelease{First9x::win98, FirstNt::win2000});
}

// A Windows as the table sees it: its family and its place in that family's order.
struct Release {
    bool windows9x;
    int rank;   // index into First9x or FirstNt
    bool lacks(FirstRelease first) const {
        return windows9x ? static_cast<int>(first.windows9x) > rank : static_cast<int>(first.nt) > rank;
    }
};

// Wine's names for the Windows versions it emulates.
bool releaseNamed(const char* name, Release& release) {
    static const struct {
        const char* name;
        Release release;
    } names[] = {
        {"win95", {true, static_cast<int>(First9x::win95)}},
        {"win98", {true, static_cast<int>(First9x::win98)}},
        {"nt40", {false, static_cast<int>(FirstNt::nt4)}},
        {"win2k", {false, static_cast<int>(FirstNt::win2000)}},
        {"winxp", {false, static_cast<int>(FirstNt::xp)}},
    };
    for (const auto& n : names) {
        if (name && std::strcmp(name, n.name) == 0) {
            release = n.release;
            return true;
        }
    }
    return false;
}

// The library as the process has it already (shell32 and comctl32 usually
// are, with the first window), else loaded.  Libraries come from the system
// folder by full path, never from the current folder, and stay loaded for the
// life of the process.
HMODULE loadedSystemLibrary(const char* name) {
    HMODULE module = GetModuleHandleA(name);
    return module ? module : loadSystemLibrary(name);
}

DynamicCalls& table() {
    static DynamicCalls calls = [] {
        DynamicCalls c{};
        // GetVersion's high bit marks the Windows 95/98/ME family (asked here
        // directly: the system queries are built on this table).
        const bool on9x = (GetVersion() & 0x80000000u) != 0;
        forEachEntry(c, [&](auto& slot, const char* name, Library library, FirstRelease first) {
            // Windows 95/98/ME export some NT functions as stubs that only fail.
            if (on9x && first.windows9x == First9x::never) return;
            switch (library) {
            case Library::kernel32:
                lookUp(slot, GetModuleHandleA("kernel32.dll"), name);
                break;
            case Library::shellFolders:
                lookUp(slot, loadedSystemLibrary("shell32.dll"), name);
                if (!slot) lookUp(slot, loadSystemLibrary("shfolder.dll"), name);
                break;
            case Library::msimg32:
                lookUp(slot, loadedSystemLibrary("msimg32.dll"), name);
                break;
            case Library::comctl32:
                lookUp(slot, loadedSystemLibrary("comctl32.dll"), name);
                break;
            }
        });
        // A test's stand-in for an older Windows (see the header).
        char emulated[16] = "";
        const DWORD n = GetEnvironmentVariableA("Q8DIAG_EMULATE_WINDOWS", emulated, sizeof emulated);
        if (n > 0 && n < sizeof emulated) hideCallsMissingOn(c, emulated);
        return c;
    }();
    return calls;
}

}   // namespace

HMODULE loadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) >= MAX_PATH) return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, name);
    // No "cannot find" box on Windows 9x when the library is missing.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(path);
    SetErrorMode(oldMode);
    return module;
}

const DynamicCalls& dynamicCalls() { return table(); }

DynamicCalls& dynamicCallsForTesting() { return table(); }

bool hideCallsMissingOn(DynamicCalls& calls, const char* windows) {
    Release release;
    if (!releaseNamed(windows, release)) return false;
    forEachEntry(calls, [&](auto& slot, const char*, Library, FirstRelease first) {
        if (release.lacks(first)) slot = nullptr;
    });
    return true;
}
