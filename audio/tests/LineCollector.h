// Collects a section's lines as std::strings for comparison in tests.
#pragma once

#include <string>
#include <vector>

#include "audio/LineWriter.h"

class LineCollector : public LineWriter {
public:
    void writeLine(const String& text) override { lines.emplace_back(text.c_str(), text.length()); }
    std::vector<std::string> lines;
};
