// Splitting of the process command line into arguments, one at a time.
#pragma once

#include "foundation/String.h"

// Reads the argument that starts at `position` into `argument` and returns
// the position after it.  Blanks and control characters (codes 1 to 32) and an
// empty pair of quotes directly after them are skipped; then characters are
// copied up to the next blank or 4095 characters.  A double quote opens a run
// copied up to the next double quote (the quotes themselves are dropped).  An
// argument longer than 4095 characters continues as the next one.  At the end
// of the line the argument is empty.
const char* nextArgument(const char* position, String& argument);

// The n-th argument of `commandLine` (0 = the program name), "" when missing.
String commandLineArgument(const char* commandLine, int n);
// Number of arguments of `commandLine`, the program name included.
int commandLineArgumentCount(const char* commandLine);
