// The program's entry: interactive with the main window, or silent (the
// report on standard output, no window shown) when the first argument is
// "silent".
#include "foundation/Win32.h"

#include "app/CrashHandler.h"
#include "app/MainWindow.h"
#include "foundation/SystemQueries.h"
#include "report/GenerateReport.h"
#include "report/ProbeHelperMain.h"
#include "toolkit/ApplicationContext.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // A report started this image again to call foreign code for it: serve
    // that, before any window, log file or crash box of the program proper.
    if (startedAsProbeHelper()) runProbeHelper();
    installCrashHandler();
    // A DLL planted in the current folder (e.g. next to a report the user
    // opened the program from) must not be loaded instead of a system one.
    removeCurrentDirectoryFromDllSearch();
    application().setDebugOptions(true, nullptr);

    // The toolkit's tokeniser drops quotes and skips an empty quoted
    // argument, so "" silent and "silent" both count; Silent does not.
    const bool silent = application().argument(1) == "silent";
    MainWindow* window = new MainWindow(silent);
    if (silent) {
        generateReport(window->document());
        delete window;
        return 0;
    }
    // WM_CLOSE ends the loop; destroying the native window deletes the
    // window object (the toolkit does that), so it is not deleted here.
    application().run();
    return 0;
}
