// ReportMemoView: the report as the main window shows it, in its memo: the
// spinning progress line while the sections run, then the version line, the
// summary, the separator, the details and the time the report took.
//
// It keeps the whole text for copy and save: the memo may hold less (a
// multi-line edit control of Windows 95/98/ME takes about 64 KB), and then
// says how many lines it lacks and where they are.
#pragma once

#include "foundation/String.h"
#include "report/ReportDocument.h"

class Memo;

class ReportMemoView : public ReportView {
public:
    // versionLine: the first line of every report, without line ending.
    ReportMemoView(Memo* memo, const String& versionLine);

    void clearView() override;
    // The spinner line in line 0, at most once every 100 ms.
    void updateProgress() override;
    // Version line, summary lines, empty line, separator, detail lines.
    void renderReport(const ReportDocument& document) override;
    // Empty line and "Report generating time: " with three decimals.
    void appendElapsedTime(DWORD startTick) override;

    // Shows a finished report or the repair's text: the memo takes what it
    // can hold (memoCapacity) and says how many lines it lacks; copy and
    // save always take the whole text.
    void showReport(const String& text);
    // What copy and save take: the last text shown, with the elapsed time.
    const String& reportText() const { return reportText_; }
    // The characters the memo is given at most, 0 for no limit.  Set for
    // Windows 95/98/ME from the start; tests may set another.
    unsigned memoCapacity() const { return memoCapacity_; }
    void setMemoCapacity(unsigned characters) { memoCapacity_ = characters; }
    // Where the lines the memo cannot show are kept ("" when there is no log).
    void setLogFilePath(const String& path) { logFilePath_ = path; }

private:
    Memo* memo_;
    String versionLine_;
    String reportText_;
    String logFilePath_;
    unsigned memoCapacity_ = 0;
};
