// The one-line description of a file used by every section that lists files:
// name (or full path), size, version, last-write date and time, and, for a
// ZQT plug-in, the name the plug-in gives itself.
#pragma once

#include "foundation/String.h"
#include "receiver/PeExports.h"

// "NAME: 1k512, ver. 1.2.3.4, <date> <time>" followed, for a plug-in, by
// "  \"plug-in name\" " and "<k>" when it answered to host text k > 0, or by
// " ZQT error" when it raised an exception.  A missing path or a directory
// gives only "NAME: ".
String describeFile(const String& path, bool showFullPath);

// Reads the export table of the file at path without loading it.  Only a
// file for which this says `exported` for "zqtPluginInit" is ever loaded.
PeExportLookup pluginExportLookup(const String& path);
