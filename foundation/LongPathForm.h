// The long form of a path built one component at a time, the way programs
// did it on Windows 95 and NT 4.0, which have no GetLongPathNameA: every
// component after the root is looked up in its folder (FindFirstFileA on the
// path so far gives the entry's long name, whether the component was written
// as a short 8.3 alias or not).
//
// Portable: the look-up is the caller's, so the walk is tested natively with
// a table of names as well as on Windows with the real file system.
#pragma once

#include "foundation/String.h"

class PathNameLookup {
public:
    virtual ~PathNameLookup() = default;
    // The long name of the last component of `path` (the path so far, long
    // components before it); false when there is no such entry.
    virtual bool longName(const String& path, String& name) = 0;
    // Whether a root on its own ("C:\", "\\server\share\") exists; asked only
    // when the path has no component after its root.
    virtual bool rootExists(const String& root) = 0;
};

// "" when any component does not exist, or the path is empty or holds a
// wildcard ('*' or '?', which the look-up would expand into some other
// entry).  The root ("C:\", "C:", "\", "\\server\share\") is kept as
// written; "." and ".." stay as they are, and so do the separators ('\' or
// '/') and a trailing one.
String buildLongPathForm(const String& path, PathNameLookup& lookup);
