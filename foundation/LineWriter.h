// LineWriter: where a report section's lines go.  Every section writes
// through it and sees nothing else of the report: the report document
// implements it in the program, a plain list in the tests (no registry, no
// log file, no window).
#pragma once

#include "foundation/String.h"

class LineWriter {
public:
    virtual ~LineWriter() = default;

    // One line, without line ending.  summary: the line flags a problem, so
    // the report shows it among the problems above the details as well.
    void writeLine(const String& text, bool summary = false) { putLine(text, summary); }

    // The start of most sections: an empty line, then the heading.
    void writeHeading(const String& text) {
        putLine("", false);
        putLine(text, false);
    }

    // Progress, not text: the section starts item `index` of its own list (a
    // receiver, a mixer, a codec driver).  Writers that pass lines on from a
    // helper process (report/ProbeHelper.h) use it to name the item that did
    // not answer and to go on after it; the others ignore it.
    virtual void markItem(unsigned index) { (void)index; }

protected:
    virtual void putLine(const String& text, bool summary) = 0;
};
