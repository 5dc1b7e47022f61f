// Runs one report the way the main window does (log file on, lists kept,
// no window) and then writes the detail list to standard output, one CR LF
// line per entry, followed by "#summary N" with the number of summary lines.
// The tests compare that with the log file: whatever a fixture does to the
// report, the log must hold exactly the lines the window would show.
#include "foundation/Win32.h"

#include "report/GenerateReport.h"
#include "report/ReportDocument.h"

int main() {
    ReportDocument document(false);
    generateReport(document);

    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    auto put = [out](const String& text) {
        const String line = text + "\r\n";
        DWORD written = 0;
        WriteFile(out, line.c_str(), (DWORD)line.length(), &written, nullptr);
    };
    const TextList& details = document.detailLines();
    for (unsigned i = 0; i < details.count(); ++i) put(details.get(i));
    put(String("#summary ") + String::decimal(document.summaryLines().count()));
    return 0;
}
