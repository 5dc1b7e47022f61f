// Windows functions that some supported Windows versions lack.  An imported
// function that the system DLL does not export stops the loader before main
// runs ("The procedure entry point ... could not be located"), so these are
// never imported: they are looked up once, at first use, with GetProcAddress,
// and a null entry means "missing here, take the fallback".
//
//   GlobalMemoryStatusEx           Windows 2000 / ME and later
//   IsWow64Process                 XP SP2 / 2003 SP1 and later
//   Wow64EnableWow64FsRedirection  64-bit capable Windows only (2003 SP1, XP x64)
//   GetNativeSystemInfo            XP and later
//   GetSystemWow64DirectoryA       XP and later
//   GetLongPathNameA               Windows 98 / NT 4.0 and later (not Windows 95)
//   SetDllDirectoryA               XP SP1 and later
//   MoveFileExA                    exported by Windows 95/98/ME but only fails there
//                                  (ERROR_CALL_NOT_IMPLEMENTED); null on those systems
//   GetDiskFreeSpaceExA            Windows 95 OSR2 and later
//   GetCPInfoExA                   Windows 2000 / ME and later
//   EnumSystemLanguageGroupsA      Windows 2000 and later
//   SHGetFolderPathA               shell32 of Windows 2000 / ME and later, else
//                                  shfolder.dll where the user has it
#pragma once

#include "foundation/Win32.h"
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
    // shell32, or shfolder.dll on systems whose shell32 predates it
    decltype(&::SHGetFolderPathA) shGetFolderPathA;
};

// The table, filled on first use (one thread; later calls only read it).
const DynamicCalls& dynamicCalls();

// Writable access for tests that must see the fallback of a function the test
// system has (for example a Windows without IsWow64Process).  Tests restore
// the entry they change; the program never calls this.
DynamicCalls& dynamicCallsForTesting();
