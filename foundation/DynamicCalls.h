// Windows functions that some supported Windows versions lack.  An imported
// function that the system DLL does not export stops the loader before main
// runs ("The procedure entry point ... could not be located"), so these are
// never imported: they are looked up once, at first use, with GetProcAddress,
// and a null entry means "missing here, take the fallback".  The first
// Windows of each family that has each one stands beside its look-up in
// DynamicCalls.cpp.  (app/WindowsImports.txt lists what is imported instead,
// and its test keeps later functions out of the import table.)
//
// Wine exports every function whatever Windows version it is set to, so a
// fallback would never run under it.  The environment variable
// Q8DIAG_EMULATE_WINDOWS, set only by tests, names a Windows in Wine's
// spelling (win95 nt40 win98 win2k winxp) and hides every function here that
// that Windows lacks, as if its DLLs did not export it.
#pragma once

#include "foundation/Win32.h"
#include <commctrl.h>
#include <shlobj.h>

struct DynamicCalls {
    // kernel32
    decltype(&::GlobalMemoryStatusEx) globalMemoryStatusEx;
    decltype(&::IsWow64Process) isWow64Process;
    decltype(&::Wow64EnableWow64FsRedirection) wow64EnableWow64FsRedirection;
    decltype(&::GetNativeSystemInfo) getNativeSystemInfo;
    decltype(&::GetSystemWow64DirectoryA) getSystemWow64DirectoryA;
    decltype(&::GetLongPathNameA) getLongPathNameA;
    decltype(&::SetDllDirectoryA) setDllDirectoryA;
    decltype(&::MoveFileExA) moveFileExA;
    decltype(&::GetDiskFreeSpaceExA) getDiskFreeSpaceExA;
    decltype(&::GetCPInfoExA) getCPInfoExA;
    decltype(&::EnumSystemLanguageGroupsA) enumSystemLanguageGroupsA;
    decltype(&::SetThreadAffinityMask) setThreadAffinityMask;
    // shell32, or shfolder.dll on systems whose shell32 predates it
    decltype(&::SHGetFolderPathA) shGetFolderPathA;
    // msimg32.dll
    decltype(&::TransparentBlt) transparentBlt;
    // comctl32.dll
    decltype(&::InitCommonControlsEx) initCommonControlsEx;
};

// The table, filled on first use (one thread; later calls only read it).
const DynamicCalls& dynamicCalls();

// Writable access for tests that must see the fallback of a function the test
// system has (for example a Windows without IsWow64Process).  Tests restore
// the entry they change; the program never calls this.
DynamicCalls& dynamicCallsForTesting();

// Clears every entry that the named Windows (Wine's spelling: win95 nt40
// win98 win2k winxp) lacks; false, and nothing cleared, for any other name.
// What Q8DIAG_EMULATE_WINDOWS does when the table is filled.
bool hideCallsMissingOn(DynamicCalls& calls, const char* windows);

// A library of the system folder, loaded by its full path (never found in
// the current or the program's folder, where anyone may put a file of that
// name), without the "cannot find" box of Windows 9x.  Null when missing.
// It stays loaded for the life of the process.
HMODULE loadSystemLibrary(const char* name);
