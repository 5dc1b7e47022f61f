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

// How describeFile asks a plug-in who it is, once the file's export table
// shows zqtPluginInit.  Loading runs foreign code that may fault, hang or
// break the process; the report driver installs a check that does it in a
// helper process (report/ProbeHelper.h).  Without one it happens here.
class PluginCheck {
public:
    virtual ~PluginCheck() = default;
    // What the file's line gets appended: " ZQT error" when the plug-in
    // faulted, then " " + its identity when it answered; "" otherwise.
    virtual String check(const String& fullPath) = 0;
};

// The check in this process: the plug-in is loaded (and stays loaded) and
// asked under the structured-exception guard.
String checkPluginInProcess(const String& fullPath);

// describeFile uses `check` while this object lives (one report; a single
// thread: the report runs on the thread that made the window).
class ScopedPluginCheck {
public:
    explicit ScopedPluginCheck(PluginCheck& check);
    ~ScopedPluginCheck();
    ScopedPluginCheck(const ScopedPluginCheck&) = delete;
    ScopedPluginCheck& operator=(const ScopedPluginCheck&) = delete;

private:
    PluginCheck* previous_;
};
