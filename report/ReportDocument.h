// ReportDocument: the state of one report and the one operation every section
// writes through (appendLine).  The main window owns it; silent mode uses it
// with no window at all.
//
//   silent        fixed at construction; lines then go to standard output only
//   summaryLines  the lines that flag a problem (shown above the details)
//   detailLines   every line in order, summary lines included (both lists
//                 end at 262,144 lines; linesNotShown counts what did not fit)
//   logFilePath   documents folder + "\Q8diag.txt"; appended line by line so a
//                 crash leaves the report so far on disk; "" (no log) when
//                 the system names no documents folder
//   pluginRegistryPath / pluginVariablePath
//                 the two places the plug-in subsystem searches, upper case,
//                 long form, "" when absent or not an existing path
//
// Lines inside the lists carry no line ending; every line that leaves the
// program (log file, standard output) ends in CR LF.
#pragma once

#include "foundation/LineWriter.h"
#include "foundation/String.h"
#include "foundation/TextList.h"
#include "foundation/Win32.h"

class ReportDocument;

// What the report engine shows in the main window's memo while and after a
// report is produced.  Attached only in interactive mode.
class ReportView {
public:
    virtual ~ReportView() = default;
    // Empty the view and repaint it at once: no messages are pumped while a
    // report runs, so a plain invalidate would never be painted.
    virtual void clearView() = 0;
    // After every line: the spinning progress line (at most every 100 ms).
    virtual void updateProgress() = 0;
    // The finished report: version line, summary lines, separator, details.
    virtual void renderReport(const ReportDocument& document) = 0;
    // "Report generating time: " line, measured from GetTickCount() startTick.
    virtual void appendElapsedTime(DWORD startTick) = 0;
};

// The window that runs the report (the main window, visible or not): it shows
// the wait cursor for the duration and enables the repair, copy and save
// buttons afterwards.  Optional: a document without owner skips both.
class ReportOwner {
public:
    virtual ~ReportOwner() = default;
    // cursor null restores the window's default cursor.
    virtual void setReportCursor(HCURSOR cursor) = 0;
    virtual void enableReportButtons() = 0;
};

// HKLM "Software\ZQT" "SearchPath" and the variable ZQT_PLUGIN_PATH, both in
// long form and upper case, "" when absent or not an existing path: the two
// plug-in paths as every report reads them.
void readPluginPaths(String& registryPath, String& variablePath);

// The sections see it only as their LineWriter (appendLine behind it).
class ReportDocument : public LineWriter {
public:
    // Reads the plug-in paths and deletes the previous log file
    // (loadPluginPaths), as the main window does when it is built.
    explicit ReportDocument(bool silent);
    ~ReportDocument();
    ReportDocument(const ReportDocument&) = delete;
    ReportDocument& operator=(const ReportDocument&) = delete;

    bool silent() const { return silent_; }

    // Silent: text + CR LF to the standard-output handle, nothing else.
    // Otherwise: appended to the log file, the detail list, the summary list
    // when summary is set, then the view's progress hook.
    // CR and LF inside the text (from device names, files, plug-ins) become
    // '.', so one call is always one line in the log and on standard output.
    void appendLine(const String& text, bool summary = false);
    // The same for the program's own fixed texts, which may end in a line
    // break on purpose (the repair's heading leaves an empty line after it).
    void appendOwnLine(const String& text, bool summary = false);

    // Empties both lists; the log file keeps growing.
    void clearReport();

    // Log path = documents folder + "\Q8diag.txt"; HKLM "Software\ZQT"
    // "SearchPath" and the variable ZQT_PLUGIN_PATH, both in long form and
    // upper case; then the old log file is deleted.  Called by the constructor.
    void loadPluginPaths();

    const String& pluginRegistryPath() const { return pluginRegistryPath_; }
    const String& pluginVariablePath() const { return pluginVariablePath_; }
    const String& logFilePath() const { return logFilePath_; }
    const TextList& summaryLines() const { return summaryLines_; }
    const TextList& detailLines() const { return detailLines_; }
    // Lines of this report that a full list could not take (they are in the
    // log file); 0 in a report of ordinary size.
    unsigned linesNotShown() const { return linesNotShown_; }

    // Not owned; null detaches.
    void attachView(ReportView* view) { view_ = view; }
    ReportView* view() const { return view_; }
    void attachOwner(ReportOwner* owner) { owner_ = owner; }
    ReportOwner* owner() const { return owner_; }

protected:
    void putLine(const String& text, bool summary) override { appendLine(text, summary); }

private:
    bool silent_;
    TextList summaryLines_;
    TextList detailLines_;
    String logFilePath_;
    String pluginRegistryPath_;
    String pluginVariablePath_;
    unsigned linesNotShown_ = 0;
    ReportView* view_ = nullptr;
    ReportOwner* owner_ = nullptr;
};
