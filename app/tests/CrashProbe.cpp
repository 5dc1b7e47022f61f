// A test build of the crash handler: installs it the way the program does,
// then faults (with "out-of-memory": asks for a text block that cannot be
// had).  Whatever follows the fault must never run.
//
// With "leak-pen" it faults not at all: it takes a pen from the toolkit,
// never gives it back and ends normally, so that the leak report at exit
// has one line (the control case of the program's leak tests).
#include "foundation/Win32.h"

#include "app/CrashHandler.h"
#include "foundation/String.h"
#include "toolkit/ApplicationContext.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    installCrashHandler();
    if (String(commandLine).find("leak-pen") >= 0) {
        application().pen(0x00ff00);
        return 0;
    }
    if (String(commandLine).find("out-of-memory") >= 0) {
        String::reserved(0x80000000u);
    } else {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    }
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "survived\r\n", 10, &written, nullptr);
    return 3;
}
