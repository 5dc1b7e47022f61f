// report_runner: one report through the driver without any window, for the
// tests that look at a report from outside the process.
//
//   report_runner              silent: every line on standard output, CR LF
//   report_runner interactive  as the window runs it, without the window: the
//                              log file is written, nothing goes to standard
//                              output (the tests see what a killed process
//                              leaves behind)
//   report_runner lists        the same, then the detail list on standard
//                              output, one CR LF line per entry, and
//                              "#summary N" with the number of summary lines
//                              (the hostile tests compare it with the log)
#include "foundation/Win32.h"

#include "report/GenerateReport.h"
#include "report/ProbeHelperMain.h"
#include "report/ReportDocument.h"

#include <cstring>

namespace {

void put(HANDLE out, const String& text) {
    const String line = text + "\r\n";
    DWORD written = 0;
    WriteFile(out, line.c_str(), static_cast<DWORD>(line.length()), &written, nullptr);
}

}   // namespace

int main(int argc, char** argv) {
    // The report starts this program again as its probe helper.
    if (startedAsProbeHelper()) runProbeHelper();
    const char* mode = argc > 1 ? argv[1] : "";
    const bool lists = std::strcmp(mode, "lists") == 0;
    const bool interactive = lists || std::strcmp(mode, "interactive") == 0;
    ReportDocument document(!interactive);
    generateReport(document);
    if (lists) {
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        const TextList& details = document.detailLines();
        for (unsigned i = 0; i < details.count(); ++i) put(out, details.get(i));
        put(out, String("#summary ") + String::decimal(document.summaryLines().count()));
    }
    return 0;
}
