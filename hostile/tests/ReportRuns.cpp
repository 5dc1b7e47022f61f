#include "hostile/tests/ReportRuns.h"

#include "foundation/SystemQueries.h"
#include "foundation/Win32.h"
#include "report/tests/TestSupport.h"

#include <shlobj.h>

#include <algorithm>

std::string documentsFolder() { return specialFolderPath(CSIDL_PERSONAL).c_str(); }
std::string logFilePath() { return documentsFolder() + "\\Q8diag.txt"; }

ReportRun runReports() {
    ReportRun run;
    const std::string bin = programDirectory();
    run.silent = crlfLines(runCaptured("\"" + bin + "\\Q8diag.exe\" silent", 120000));
    run.lists = crlfLines(runCaptured("\"" + bin + "\\report_runner.exe\" lists", 120000));
    if (!run.lists.empty() && run.lists.back().rfind("#summary ", 0) == 0) {
        run.summaryCount = std::stoi(run.lists.back().substr(9));
        run.lists.pop_back();
    }
    const std::string log = logFilePath();
    if (pathExists(log)) run.log = crlfLines(readWholeFile(log));
    return run;
}

std::vector<std::string> headings(const std::vector<std::string>& lines) {
    std::vector<std::string> result;
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i - 1].empty() && !lines[i].empty() && lines[i][0] != ' ') result.push_back(lines[i]);
    return result;
}

bool containsInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
    size_t next = 0;
    for (const std::string& line : lines)
        if (next < wanted.size() && line == wanted[next]) ++next;
    return next == wanted.size();
}

bool hasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool hasLineContaining(const std::vector<std::string>& lines, const std::string& part) {
    for (const std::string& line : lines)
        if (line.find(part) != std::string::npos) return true;
    return false;
}
