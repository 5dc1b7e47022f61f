// The "ZQT repair" action: makes the plug-in subsystem's two search settings
// (HKLM "Software\ZQT" "SearchPath" and the variable ZQT_PLUGIN_PATH) agree
// and point at an existing folder.  It works from the two paths the document
// read at start-up and does not read them again.  Every message goes through
// document.appendLine; all but the "ZQT repair" heading (and the empty line
// of one case) are summary lines.
#pragma once

#include "foundation/String.h"
#include "repair/RepairPlatform.h"
#include "report/ReportDocument.h"

// The button action.  Clears the attached report view (if any) and the
// document's lists, writes "ZQT repair" and the messages of the chosen case,
// and returns the text the memo shows afterwards: repairMemoText(document).
// The caller (the main window) replaces the memo's text with it; copy and
// save then act on that text.
String repairPluginPath(ReportDocument& document, RepairPlatform& platform = systemRepairPlatform());

// Every summary line followed by CR LF, then one more CR LF.
String repairMemoText(const ReportDocument& document);

// The folder the repair falls back to: Program Files (or "c:" when unknown)
// + "\Brelvanx\Plugins".
String defaultPluginDirectory(RepairPlatform& platform = systemRepairPlatform());

// Sets HKLM "Software\ZQT" "SearchPath"; messages on failure, true on success.
bool writeSearchPathValue(ReportDocument& document, const String& path,
                          RepairPlatform& platform = systemRepairPlatform());

// Sets ZQT_PLUGIN_PATH for programs started later: a SET line in
// C:\autoexec.bat on Windows 95/98 (classes 0 and 1), the system environment
// in the registry from ME on.  Nothing is broadcast, so running programs keep
// their environment.  Messages on failure, true on success.
bool writePluginPathVariable(ReportDocument& document, const String& path,
                             RepairPlatform& platform = systemRepairPlatform());
