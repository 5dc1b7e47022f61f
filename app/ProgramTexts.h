// The fixed texts of the program (help, about) and its own version, read
// back from the VERSIONINFO resource of the running executable.
#pragma once

#include "foundation/String.h"

// The help window's text, CR LF line breaks, ending in CR LF.
extern const char helpText[];

// The executable's file version ("2.06" short, "2.0.6.1" long), taken from
// the module this code is in: the executable itself, also when a host
// process loaded it as a library.  "" when it has no version resource.
String programVersion(bool shortForm);

// Three lines: the product, "Version " + the short version, the maker.
String aboutText(const String& shortVersion);
