// Collects report lines in memory as std::strings: what the section tests
// compare, with no report document, registry or log file involved.
#pragma once

#include <string>
#include <vector>

#include "foundation/LineWriter.h"

class LineCollector : public LineWriter {
public:
    std::vector<std::string> lines;
    std::vector<std::string> summaryLines;

protected:
    void putLine(const String& text, bool summary) override {
        lines.emplace_back(text.c_str(), text.length());
        if (summary) summaryLines.emplace_back(text.c_str(), text.length());
    }
};
