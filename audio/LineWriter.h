// LineWriter: where a section's report lines go.  The sections of this folder
// write through it so that the same code feeds the report document in the
// program and a plain list in the tests (no report state, no log file).
#pragma once

#include "foundation/String.h"

class LineWriter {
public:
    virtual ~LineWriter() = default;
    virtual void writeLine(const String& text) = 0;
};
