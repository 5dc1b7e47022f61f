#include "app/CrashHandler.h"

// The text names the log file as users know it; "Q8diag,txt" is how the
// message has always read.
const char crashMessageText[] =
    "Q8 Diagnostics Tool has problems with loading DLL found in your system.\n"
    "It closes now, but the log is saved into 'MyDocuments\\Q8diag,txt' file.";
const char crashMessageCaption[] = "Q8diag.exe";

LONG WINAPI crashHandler(EXCEPTION_POINTERS*) {
    // No owner: the main window may be what crashed.  Topmost, so the box is
    // not hidden behind a window that no longer responds.
    MessageBoxA(nullptr, crashMessageText, crashMessageCaption, MB_TOPMOST | MB_OK);
    // Nothing is cleaned up: the state is unknown, and the log file already
    // holds every line written so far.
    TerminateProcess(GetCurrentProcess(), 0);
    return EXCEPTION_CONTINUE_SEARCH;   // not reached
}

void installCrashHandler() { SetUnhandledExceptionFilter(&crashHandler); }
