// The last resort for any unhandled exception: tell the user where the log
// of the report so far is, then end the process at once.
#pragma once

#include "foundation/Win32.h"

extern const char crashMessageText[];
extern const char crashMessageCaption[];

// The unhandled-exception filter: shows the message box and never returns.
LONG WINAPI crashHandler(EXCEPTION_POINTERS* exception);

// SetUnhandledExceptionFilter(crashHandler).
void installCrashHandler();
