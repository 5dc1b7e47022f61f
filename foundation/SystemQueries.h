// Small read-only queries of the operating system shared by the report
// driver, the report sections and the repair.  None reports an error: a
// failed query gives false, "" or the stated fallback.
#pragma once

#include "foundation/Win32.h"
#include "foundation/String.h"

// Windows version class.  Code compares it by number ("NT 4.0 or later" is
// >= windowsNt4, the Windows 95/98 startup-file rule is <= windows98), so the
// numbers are fixed; Server 2003 comes after Vista only because it was added
// last.
enum WindowsVersionClass : int {
    windows95 = 0,   // also every unknown version
    windows98 = 1,
    windowsMe = 2,   // 4.90; no display name
    windowsNt4 = 3,
    windows2000 = 4,
    windowsXp = 5,
    windowsVista = 6,   // every 6.x
    windows2003 = 7,    // every 5.2, also 64-bit XP
};

// From the given version record, or from GetVersionExA when info is null.
WindowsVersionClass classifyWindowsVersion(const OSVERSIONINFOA* info = nullptr);
String windowsVersionName(const OSVERSIONINFOA* info = nullptr);
String windowsVersionClassName(WindowsVersionClass versionClass);

// The Windows 95/98/ME family (high bit of GetVersion), whatever the version.
bool windows9xFamily();

// IsWow64Process for the current process; false when the function is missing
// or fails.
bool runningUnderWow64();
// Wow64EnableWow64FsRedirection(enable) for the calling thread; nothing when
// the function is missing (32-bit Windows).
void setWow64FsRedirection(bool enable);

// Turns WoW64 file-system redirection off for a scope and back on after it.
class Wow64RedirectionOff {
public:
    Wow64RedirectionOff() { setWow64FsRedirection(false); }
    ~Wow64RedirectionOff() { setWow64FsRedirection(true); }
    Wow64RedirectionOff(const Wow64RedirectionOff&) = delete;
    Wow64RedirectionOff& operator=(const Wow64RedirectionOff&) = delete;
};

// GetModuleHandleA("kernel32.dll"), fetched once.
HMODULE kernel32Handle();
String windowsDirectory();
String systemDirectory();
// SHGetFolderPathA(no window, id | CSIDL_FLAG_CREATE, no token, current path);
// "" when the query fails.  Where the function is missing (Windows 95 and NT
// 4.0 without shfolder.dll) the shell's folder values in the registry, if
// they name an existing folder (nothing is created then), else "".
String specialFolderPath(int csidl);
// The environment variable's value, "" when it is not set.
String environmentValue(const String& name);

// Takes the current folder out of the DLL search path (SetDllDirectoryA(""))
// so that a library dropped next to a document cannot be loaded instead of a
// system one.  false where the function is missing (before XP SP1).
bool removeCurrentDirectoryFromDllSearch();
