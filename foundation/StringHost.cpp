// The host build's answer to a text block that cannot be had: there is no
// crash handler to tell the user, so the process ends at once.
#include "foundation/String.h"

#include <cstdlib>

void stringOutOfMemory() { std::abort(); }
