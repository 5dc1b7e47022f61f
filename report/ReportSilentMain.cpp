// Runs one report silently: every line on standard output, CR LF, no window.
// "interactive" as argument 1 writes the log file instead (the tests use it to
// see what a killed process leaves behind).
#include <cstring>

#include "report/GenerateReport.h"
#include "report/ReportDocument.h"

int main(int argc, char** argv) {
    const bool interactive = argc > 1 && std::strcmp(argv[1], "interactive") == 0;
    ReportDocument document(!interactive);
    generateReport(document);
    return 0;
}
