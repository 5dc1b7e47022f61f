// The "Paths" block: Windows and system folders, the two plug-in search paths,
// and the two summary warnings when they are missing or disagree.  The paths
// come as the report read them: upper case, long form, "" when absent.
#pragma once

#include "foundation/String.h"

class LineWriter;

void writePathsSection(LineWriter& out, const String& registryPath, const String& variablePath);
