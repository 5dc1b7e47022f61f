#include "report/ReportMemoView.h"

#include "foundation/SystemQueries.h"
#include "foundation/TextList.h"
#include "toolkit/Memo.h"

namespace {

const char separatorLine[] = "------------- details follow ----------------";

// A multi-line edit control of Windows 95/98/ME keeps its text in a 64 KB
// local heap together with its line index, and refuses or cuts a longer
// text.  The margin leaves room for that index.
constexpr unsigned windows9xMemoCapacity = 60000;

// Where lines the window cannot show are found instead.
String tooLongLine(unsigned lines, const String& where) {
    return String("Report too long for the window: ") + String::decimal(lines) + " more lines are " + where;
}

size_t linesIn(const char* text, size_t length) {
    size_t lines = 0;
    for (size_t i = 0; i + 1 < length; ++i)
        if (text[i] == '\r' && text[i + 1] == '\n') ++lines;
    const bool openLastLine =
        length >= 2 ? !(text[length - 2] == '\r' && text[length - 1] == '\n') : length > 0;
    return lines + (openLastLine ? 1 : 0);
}

// The spinner carries over from one report to the next (and from one window
// to the next); plain zero-initialised data, so nothing has to construct it.
unsigned spinnerIndex = 0;
DWORD lastSpinnerTick = 0;

}   // namespace

ReportMemoView::ReportMemoView(Memo* memo, const String& versionLine)
    : memo_(memo), versionLine_(versionLine) {
    if (windows9xFamily()) memoCapacity_ = windows9xMemoCapacity;
}

void ReportMemoView::clearView() {
    reportText_ = "";
    memo_->setText("");
    // No messages are pumped while the report runs: paint now or never.
    InvalidateRect(memo_->handle(), nullptr, TRUE);
    UpdateWindow(memo_->handle());
}

void ReportMemoView::updateProgress() {
    const DWORD now = GetTickCount();
    if (now - lastSpinnerTick <= 100) return;
    lastSpinnerTick = GetTickCount();
    static const char spinner[] = "-\\|/";
    const String run(spinner[spinnerIndex], 10);
    memo_->replaceLine(0, run + " processing " + run);
    // The report blocks the message loop, so the line would otherwise only
    // appear once the report is finished.
    UpdateWindow(memo_->handle());
    spinnerIndex = (spinnerIndex + 1) % 4;
}

void ReportMemoView::renderReport(const ReportDocument& document) {
    // The text is the same as appending every line to the edit control one
    // after the other (summary, empty line, separator, details) and then
    // inserting the version line at the top; built in one block and set at
    // once, because an edit control re-lays out its whole text on every
    // insertion and thousands of lines would take seconds.
    const TextList& summary = document.summaryLines();
    const TextList& details = document.detailLines();
    const String versionLine = versionLine_ + "\r\n";
    // A report longer than a list holds: said among the problems and where
    // the missing lines would have been, so a copy of the window is never
    // mistaken for the whole report.
    String notShown;
    if (document.linesNotShown())
        notShown = tooLongLine(document.linesNotShown(), document.logFilePath().isEmpty()
                                                             ? String("lost (no log file)")
                                                             : "only in " + document.logFilePath()) +
                   "\r\n";

    size_t total = versionLine.length() + 2 + sizeof(separatorLine) - 1 + 2 + 2 * notShown.length();
    for (unsigned i = 0; i < summary.count(); ++i) total += summary.get(i).length() + 2;
    for (unsigned i = 0; i < details.count(); ++i) total += details.get(i).length() + 2;

    String text;
    text.reserve(total);
    text += versionLine;
    for (unsigned i = 0; i < summary.count(); ++i) {
        text += summary.get(i);
        text += "\r\n";
    }
    text += notShown;
    text += "\r\n";
    text += separatorLine;
    text += "\r\n";
    for (unsigned i = 0; i < details.count(); ++i) {
        text += details.get(i);
        text += "\r\n";
    }
    text += notShown;
    showReport(text);
}

void ReportMemoView::showReport(const String& text) {
    reportText_ = text;
    if (memoCapacity_ == 0 || text.length() <= memoCapacity_) {
        memo_->setText(text);
        return;
    }
    // The lines that fit, whole, with room left for the line saying what is
    // missing and for the elapsed time that follows a report.
    const String& logPath = logFilePath_;
    const size_t reserve = 200 + logPath.length();
    size_t cut = memoCapacity_ > reserve ? memoCapacity_ - reserve : 0;
    const char* chars = text.c_str();
    while (cut >= 2 && !(chars[cut - 2] == '\r' && chars[cut - 1] == '\n')) --cut;
    if (cut < 2) cut = 0;
    const unsigned missing = static_cast<unsigned>(linesIn(chars + cut, text.length() - cut));
    const String where = logPath.isEmpty() ? String("in a copied or saved report")
                                           : "in " + logPath + " and in a copied or saved report";
    memo_->setText(text.substring(0, cut) + tooLongLine(missing, where) + "\r\n");
}

void ReportMemoView::appendElapsedTime(DWORD startTick) {
    const DWORD elapsed = GetTickCount() - startTick;
    const String line = String("Report generating time: ") + String::fixedPoint(elapsed / 1000.0, 3, 0);
    reportText_ += "\r\n" + line + "\r\n";
    memo_->appendLine("");
    memo_->appendLine(line);
}
