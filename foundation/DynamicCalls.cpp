#include "foundation/DynamicCalls.h"

namespace {

// GetProcAddress hands back a generic FARPROC; going through a plain function
// pointer type keeps g++'s -Wcast-function-type quiet about the real type.
template <typename Fn>
void lookUp(Fn& slot, HMODULE module, const char* name)
{
    slot = module ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                  : nullptr;
}

bool windows9x()
{
    // High bit of GetVersion: the Windows 95/98/ME family.
    return (GetVersion() & 0x80000000u) != 0;
}

HMODULE loadSystemLibrary(const char* name)
{
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) >= MAX_PATH)
        return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, name);
    // No "cannot find" box on Windows 9x when the library is missing.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(path);
    SetErrorMode(oldMode);
    return module;
}

DynamicCalls& table()
{
    static DynamicCalls calls = [] {
        DynamicCalls c{};
        HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
        lookUp(c.globalMemoryStatusEx, kernel32, "GlobalMemoryStatusEx");
        lookUp(c.isWow64Process, kernel32, "IsWow64Process");
        lookUp(c.wow64EnableWow64FsRedirection, kernel32, "Wow64EnableWow64FsRedirection");
        lookUp(c.getNativeSystemInfo, kernel32, "GetNativeSystemInfo");
        lookUp(c.getSystemWow64DirectoryA, kernel32, "GetSystemWow64DirectoryA");
        lookUp(c.getLongPathNameA, kernel32, "GetLongPathNameA");
        lookUp(c.setDllDirectoryA, kernel32, "SetDllDirectoryA");
        // Windows 95/98/ME export MoveFileExA but it only fails with
        // ERROR_CALL_NOT_IMPLEMENTED; callers take the fallback instead.
        if (!windows9x())
            lookUp(c.moveFileExA, kernel32, "MoveFileExA");
        lookUp(c.getDiskFreeSpaceExA, kernel32, "GetDiskFreeSpaceExA");
        lookUp(c.getCPInfoExA, kernel32, "GetCPInfoExA");
        lookUp(c.enumSystemLanguageGroupsA, kernel32, "EnumSystemLanguageGroupsA");

        // shell32 is normally loaded already by anything with a window; load
        // it if not.  Older shell32 versions lack SHGetFolderPathA; shfolder.dll
        // (installed with Internet Explorer 5 and many setups) carries it there.
        // Both come from the system folder by full path, never from the
        // current folder, and stay loaded for the life of the process.
        HMODULE shell32 = GetModuleHandleA("shell32.dll");
        if (!shell32)
            shell32 = loadSystemLibrary("shell32.dll");
        lookUp(c.shGetFolderPathA, shell32, "SHGetFolderPathA");
        if (!c.shGetFolderPathA)
            lookUp(c.shGetFolderPathA, loadSystemLibrary("shfolder.dll"), "SHGetFolderPathA");
        return c;
    }();
    return calls;
}

} // namespace

const DynamicCalls& dynamicCalls()
{
    return table();
}

DynamicCalls& dynamicCallsForTesting()
{
    return table();
}
