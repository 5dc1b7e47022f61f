// The body of the export, run once the image has been brought up.
#include "app/ImageBootstrap.h"
#include "app/MainWindow.h"
#include "report/GenerateReport.h"

// MinGW's pseudo relocations (data imported by address).  Normal start-up
// applies them; the function remembers that it ran, so calling it again is
// harmless.
extern "C" void _pei386_runtime_relocator(void);

int runSilentReport() {
    _pei386_runtime_relocator();
    // No crash handler and no debug trace here: the process is the host's.
    MainWindow* window = new MainWindow(true);
    generateReport(window->document());
    delete window;
    return 1;
}
