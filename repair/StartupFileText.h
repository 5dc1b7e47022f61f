// The text of the DOS start-up file after the plug-in variable is set: every
// line that mentions the variable goes, one SET line is added at the end.
// Portable (no Win32), so the byte handling is also checked natively.
#pragma once

#include <string>

// The line the repair adds, without its line break.
std::string pluginPathSetLine(const std::string& path);

// oldText is the file's bytes as read.  Lines that contain "ZQT_PLUGIN_PATH"
// (case-sensitive, anywhere) are dropped; every other line keeps its bytes,
// its own line break (CR LF, LF or CR) and its place.  A last line without a
// break gets CR LF so the new line does not join it.  The SET line then
// follows with CR LF, in front of a trailing run of end-of-file marks
// (Ctrl-Z, 0x1A, as DOS editors leave them): COMMAND.COM stops reading at the
// first one, so a line behind it would never run.
std::string rewriteStartupFileText(const std::string& oldText, const std::string& path);
