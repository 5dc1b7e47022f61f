// A test build of the crash handler: installs it the way the program does,
// then faults.  Whatever follows the fault must never run.
#include "foundation/Win32.h"

#include "app/CrashHandler.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    installCrashHandler();
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "survived\r\n", 10, &written, nullptr);
    return 3;
}
