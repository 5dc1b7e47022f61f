// The receiver search as the report driver runs it: the simulated library in
// the system folder of this test's own Wine prefix, found among the system
// files and probed after "Searching for receivers:".
#include "foundation/Win32.h"
#include "report/GenerateReport.h"
#include "report/ReportDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

std::string binDirectory() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.rfind('\\'));
}

std::string systemDirectory() {
    char path[MAX_PATH];
    GetSystemDirectoryA(path, MAX_PATH);
    return path;
}

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(toupper(c)); });
    return s;
}

Lines linesOf(const TextList& list) {
    Lines lines;
    for (unsigned i = 0; i < list.count(); ++i) lines.push_back(list.get(i).c_str());
    return lines;
}

// The lines from "Searching for receivers:" up to (not including) the first
// line that belongs to no receiver block: a line that is not indented, not a
// register row, not a "Looking for" or "EEPROM content" line and not empty.
Lines receiverSection(const Lines& details) {
    auto start = std::find(details.begin(), details.end(), "Searching for receivers:");
    if (start == details.end()) return {};
    Lines section;
    for (auto it = start; it != details.end(); ++it) {
        const std::string& line = *it;
        const bool ours = it == start || line.empty() || line[0] == ' ' ||
                          line.rfind("Looking for ", 0) == 0 || line == "EEPROM content" ||
                          (line.find(": ") != std::string::npos && line.back() == '\t');
        if (!ours) break;
        section.push_back(line);
    }
    // An empty line at the end opens the next section.
    while (!section.empty() && section.back().empty()) section.pop_back();
    return section;
}

bool contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string joined(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

class ReceiverSearch : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string system = systemDirectory();
        const std::string bin = binDirectory();
        // Written in lower case on disk: the list of system files holds upper
        // case paths, and the "API.DLL" test is case-sensitive.
        CopyFileA((bin + "\\ZNQ8API.DLL").c_str(), (system + "\\znq8api.dll").c_str(), FALSE);
        // Another model's library lacking an export, and two names that do
        // not end in "API.DLL" (never loaded: they would fail to link).
        CopyFileA((bin + "\\ZNQ8API-NOLOCK.DLL").c_str(), (system + "\\ZNQ8KAPI.DLL").c_str(), FALSE);
        CopyFileA((bin + "\\ZNQ8API-NOLOCK.DLL").c_str(), (system + "\\ZNQ8APIX.DLL").c_str(), FALSE);
        CopyFileA((bin + "\\ZNQ8API-NOLOCK.DLL").c_str(), (system + "\\ZNQ8API.DLL.OLD").c_str(), FALSE);
        SetEnvironmentVariableA("Q8SIM_RECEIVERS", "1");
    }
};

TEST_F(ReceiverSearch, ProbesEverySystemFileEndingInApiDll) {
    ReportDocument document(false);
    generateReport(document);
    const Lines details = linesOf(document.detailLines());
    const Lines section = receiverSection(details);
    const std::string system = upper(systemDirectory());

    ASSERT_GE(section.size(), 5u) << joined(details);
    EXPECT_EQ("", *(std::find(details.begin(), details.end(), "Searching for receivers:") - 1));
    EXPECT_EQ(joined({"Searching for receivers:", "Looking for Q8 receivers:", "   1 Q8 receiver(s) found",
                      "VERSION: 03\tFIRMWARE: 2b\tFEATURES1: 1d\tFEATURES2: 06\t"}),
              joined(Lines(section.begin(), section.begin() + 4)));
    EXPECT_EQ(joined({"   Device Name: \\\\.\\ZnQ8Usb0", "",
                      "Looking for Q8K receivers:", "   Failed to link API functions from ZNQ8KAPI.DLL"}),
              joined(Lines(section.end() - 4, section.end())));
    EXPECT_FALSE(contains(section, "Looking for Q8APIX receivers:"));

    // The libraries are listed among the system files with their upper-case paths.
    EXPECT_TRUE(std::any_of(details.begin(), details.end(), [&](const std::string& line) {
        return line.rfind(system + "\\ZNQ8API.DLL: ", 0) == 0;
    })) << joined(details);

    const Lines summaries = linesOf(document.summaryLines());
    EXPECT_TRUE(contains(summaries, "      Q8 ##1 WORKING OK"));
    EXPECT_TRUE(contains(summaries, "   Failed to link API functions from ZNQ8KAPI.DLL"));
}

// A fault in the library ends its probe with one line; the next library is
// still probed and the report runs to its end.
TEST_F(ReceiverSearch, ReportGoesOnAfterAFaultInTheLibrary) {
    SetEnvironmentVariableA("Q8SIM_FAULT", "Q8GetDebug");
    ReportDocument document(false);
    generateReport(document);
    SetEnvironmentVariableA("Q8SIM_FAULT", nullptr);
    const Lines details = linesOf(document.detailLines());
    const Lines section = receiverSection(details);

    EXPECT_EQ(joined({"Searching for receivers:", "Looking for Q8 receivers:", "   1 Q8 receiver(s) found",
                      "   exception while accessing ZNQ8API.DLL",
                      "Looking for Q8K receivers:", "   Failed to link API functions from ZNQ8KAPI.DLL"}),
              joined(section));
    EXPECT_TRUE(contains(linesOf(document.summaryLines()), "   exception while accessing ZNQ8API.DLL"));
}

}   // namespace
