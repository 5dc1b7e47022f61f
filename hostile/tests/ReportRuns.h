// Runs the report on whatever the prefix holds now, in both modes, in child
// processes (a fixture that kills the report must not kill the test):
//   silent  Q8diag.exe silent: every line on standard output
//   lists   report_runner.exe lists: the log file on, then the detail list
//           printed
//   log     the log file that run left in the documents folder
#pragma once

#include <string>
#include <vector>

struct ReportRun {
    std::vector<std::string> silent;
    std::vector<std::string> lists;
    std::vector<std::string> log;
    int summaryCount = -1;
};

ReportRun runReports();

// Lines that open a section: not indented, directly after an empty line.
std::vector<std::string> headings(const std::vector<std::string>& lines);

// True when `wanted` appears in `lines` in the same order (others between).
bool containsInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted);

bool hasLine(const std::vector<std::string>& lines, const std::string& line);
bool hasLineContaining(const std::vector<std::string>& lines, const std::string& part);
std::string documentsFolder();
std::string logFilePath();
