// The one door to <windows.h>.  Every source that needs Win32 includes this
// header instead, so the target version and the lean defines are the same
// everywhere.
//
// The program runs on Windows 95 up to Vista and as a 32-bit process under
// WoW64.  Declarations up to Vista are visible so that optional functions can
// be typed with decltype; such functions are still never imported directly but
// looked up at run time (see foundation/DynamicCalls.h), because an import that
// Windows 95 lacks stops the loader before main runs.
#pragma once

#ifndef _WIN32
#error "foundation/Win32.h is for the Windows build only; portable code must not include it"
#endif

#ifndef WINVER
#define WINVER 0x0600
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
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
