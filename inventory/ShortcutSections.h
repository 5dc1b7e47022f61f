// The receiver software's shortcuts on the user's and the common desktop and
// in the user's and all users' Start menu.  A section without entries writes
// nothing, not even its heading.
#pragma once

#include "foundation/String.h"

class LineWriter;

// The four sections; initialises COM for the thread for their duration.
void writeShortcutSections(LineWriter& out);

// describeFile of the shortcut file + ": " + its target path, then
// " [" + working folder + "]" when the link has one.  "" when the shell-link
// object cannot be created.  COM must be initialised by the caller.
String describeShortcut(const String& path);
