// The one door to <windows.h>.  Every source that needs Win32 includes this
// header instead, so the target version and the lean defines are the same
// everywhere.
//
// The program runs on Windows 95 up to Vista and as a 32-bit process under
// WoW64.  The target is NT 4.0: structures take their oldest layout, which
// every later Windows accepts.  MinGW's headers declare the later functions
// that the run-time table types with decltype whatever the target; those are
// never imported but looked up at run time (foundation/DynamicCalls.h),
// because an import that Windows 95 lacks stops the loader before main runs.
// The import review (app/WindowsImports.txt) is the guard, not this number.
#pragma once

#ifndef _WIN32
#error "foundation/Win32.h is for the Windows build only; portable code must not include it"
#endif

#ifndef WINVER
#define WINVER 0x0400
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0400
#endif
#ifndef _WIN32_IE
#define _WIN32_IE 0x0600
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif
// ANSI throughout: the program and its report live in the system code page.
#undef UNICODE
#undef _UNICODE

#include <windows.h>
