#include "app/MainWindow.h"

#include "app/ProgramTexts.h"
#include "foundation/SystemQueries.h"
#include "foundation/TextList.h"
#include "repair/PluginPathRepair.h"
#include "report/GenerateReport.h"
#include "toolkit/ApplicationContext.h"
#include "toolkit/Button.h"
#include "toolkit/Graphics.h"
#include "toolkit/Memo.h"
#include "toolkit/MessageDialog.h"
#include "toolkit/Panel.h"
#include "toolkit/TextWindow.h"

// The window styles as the program has always created them (support staff
// compare them in window-spy tools); the flags above must add up to them.
static_assert(MainWindow::visibleStyle == 0x96CF0000, "main window style");
static_assert(MainWindow::silentStyle == 0x86CF0000, "silent window style");
static_assert(MainWindow::toolbarStyle == 0x56010000, "toolbar style");
static_assert(MainWindow::buttonStyle == 0x54010000, "toolbar button style");
static_assert(MainWindow::memoStyle == 0x56410044, "report memo style");

namespace {

constexpr COLORREF green = 0x00FF00;
constexpr COLORREF yellow = 0x00FFFF;

struct ButtonText {
    const char* caption;
    const char* tooltip;
};

const ButtonText buttonTexts[MainWindow::buttonCount] = {
    {"Get\nInfo", "Create diagnostic report"},
    {"ZQT\nrepair", "Repair the ZQT subsystem if needed"},
    {"Copy\nreport", "Copy the report to the clipboard"},
    {"Save\nreport", "Save the report"},
    {"About", "About"},
    {"Help", "Help"},
};

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
    const bool openLastLine = length >= 2 ? !(text[length - 2] == '\r' && text[length - 1] == '\n') : length > 0;
    return lines + (openLastLine ? 1 : 0);
}

// The spinner carries over from one report to the next (and from one window
// to the next); plain zero-initialised data, so nothing has to construct it.
unsigned spinnerIndex = 0;
DWORD lastSpinnerTick = 0;

}  // namespace

MainWindow::MainWindow(bool silent)
    : Component("Q8 Diagnostics Tool", silent ? silentStyle : visibleStyle, 0, 0, 0, 700, 400, nullptr),
      silent_(silent) {
    icon_ = LoadIconA(application().instance(), MAKEINTRESOURCEA(iconResource));
    SendMessageA(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));

    setTextColor(green);
    windowFont_ = createFont(14, "Terminal", false, false, false, false, FIXED_PITCH, 0);
    setFont(windowFont_);
    toolbarFont_ = createFont(12, "Arial", true, false, false, false, 0, 0);

    createHelpWindow();

    toolbar_ = new Panel("", handle(), 0, 0, 10, 40, toolbarStyle);
    toolbar_->setDock(Dock::topInside);

    for (int i = 0; i < buttonCount; ++i) {
        buttons_[i] = new Button(buttonTexts[i].caption, toolbar_->handle(), 0, 0, 60, 0, buttonStyle);
        buttons_[i]->setDock(Dock::left);
    }
    buttons_[getInfoButton]->onClick.bind(this, &MainWindow::getInfo);
    buttons_[repairButton]->onClick.bind(this, &MainWindow::repairPluginPaths);
    buttons_[copyButton]->onClick.bind(this, &MainWindow::copyReport);
    buttons_[saveButton]->onClick.bind(this, &MainWindow::saveReport);
    buttons_[aboutButton]->onClick.bind(this, &MainWindow::showAbout);
    buttons_[helpButton]->onClick.bind(this, &MainWindow::showHelp);

    // Nothing to repair, copy or save before the first report.
    buttons_[repairButton]->enable(false);
    buttons_[copyButton]->enable(false);
    buttons_[saveButton]->enable(false);

    toolbar_->setFont(toolbarFont_);

    // A hidden window shows no tips: the silent report (and the export, whose
    // host keeps whatever the report leaves) makes no tooltip window.
    if (!silent)
        for (int i = 0; i < buttonCount; ++i) buttons_[i]->setTooltip(buttonTexts[i].tooltip);

    buttons_[getInfoButton]->takeFocus(false);

    memo_ = new Memo(handle(), 0, 0, 100, 100, memoStyle);
    memo_->setDock(Dock::fill);
    memo_->setScrollBar(true, green);
    memo_->setTextColor(yellow);
    memo_->setReadOnly(true);
    memo_->setTextLimit(0);
    if (windows9xFamily()) memoCapacity_ = windows9xMemoCapacity;

    // The document reads the plug-in paths and deletes the old log file as
    // it is made; that is the last step of building the window.
    document_ = new ReportDocument(silent);
    document_->attachOwner(this);
    if (!silent) document_->attachView(this);
}

void MainWindow::createHelpWindow() {
    helpWindow_ = new TextWindow();
    helpWindow_->resize(400, 400);
    helpWindow_->move(200, 50);
    helpWindow_->memo()->setTextColor(yellow);
    helpWindow_->setFont(font());
    helpWindow_->setTextColor(green);
    helpWindow_->closeButton()->setFont(toolbarFont_);
    helpWindow_->memo()->setScrollBar(true, green);
    helpWindow_->memo()->setFont(toolbarFont_);
    // The scroll bar set its own margin; the help text gets 16 pixels.
    SendMessageA(helpWindow_->memo()->handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, 16));
    SendMessageA(helpWindow_->handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
}

MainWindow::~MainWindow() {
    delete helpWindow_;
    helpWindow_ = nullptr;
    delete document_;
    document_ = nullptr;
    // The widgets go before the fonts they draw with; the Component teardown
    // would delete them only after this body.
    delete memo_;
    memo_ = nullptr;
    delete toolbar_;   // and its buttons
    toolbar_ = nullptr;
    if (windowFont_) DeleteObject(windowFont_);
    if (toolbarFont_) DeleteObject(toolbarFont_);
    // Icons from LoadIcon are shared resources: never destroyed.
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        // End Task, the taskbar's Close or another program reach the window
        // even while it is disabled under a modal window: closing now would
        // destroy it (and this object) under the running loop.
        if (modalDepth_ > 0) {
            closeDeferred_ = true;
            return 0;
        }
        application().requestQuit();
    }
    return Component::handleMessage(message, wParam, lParam);
}

void MainWindow::leaveModal() {
    if (--modalDepth_ > 0 || !closeDeferred_) return;
    closeDeferred_ = false;
    PostMessageA(handle(), WM_CLOSE, 0, 0);
}

Button* MainWindow::button(int index) const {
    return index >= 0 && index < buttonCount ? buttons_[index] : nullptr;
}

// ---- the report view ----

void MainWindow::clearView() {
    reportText_ = "";
    memo_->setText("");
    // No messages are pumped while the report runs: paint now or never.
    InvalidateRect(memo_->handle(), nullptr, TRUE);
    UpdateWindow(memo_->handle());
}

void MainWindow::updateProgress() {
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

void MainWindow::renderReport(const ReportDocument& document) {
    // The text is the same as appending every line to the edit control one
    // after the other (summary, empty line, separator, details) and then
    // inserting the version line at the top; built in one block and set at
    // once, because an edit control re-lays out its whole text on every
    // insertion and thousands of lines would take seconds.
    const TextList& summary = document.summaryLines();
    const TextList& details = document.detailLines();
    const String versionLine = String("Q8diag, ver.: ") + programVersion(true) + "\r\n";
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

void MainWindow::showReport(const String& text) {
    reportText_ = text;
    if (memoCapacity_ == 0 || text.length() <= memoCapacity_) {
        memo_->setText(text);
        return;
    }
    // The lines that fit, whole, with room left for the line saying what is
    // missing and for the elapsed time that follows a report.
    const String logPath = document_ ? document_->logFilePath() : String();
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

void MainWindow::appendElapsedTime(DWORD startTick) {
    const DWORD elapsed = GetTickCount() - startTick;
    const String line = String("Report generating time: ") + String::fixedPoint(elapsed / 1000.0, 3, 0);
    reportText_ += "\r\n" + line + "\r\n";
    memo_->appendLine("");
    memo_->appendLine(line);
}

// ---- the report owner ----

void MainWindow::setReportCursor(HCURSOR cursor) {
    setCursor(cursor);
    // The window's cursor takes effect on the next WM_SETCURSOR, which never
    // comes while the report blocks the message loop: set it now, and put
    // back what was there when the report ends.
    if (cursor) {
        const HCURSOR previous = SetCursor(cursor);
        if (!cursorBeforeReport_) cursorBeforeReport_ = previous;
    } else {
        SetCursor(cursorBeforeReport_ ? cursorBeforeReport_ : LoadCursorA(nullptr, IDC_ARROW));
        cursorBeforeReport_ = nullptr;
    }
}

void MainWindow::enableReportButtons() {
    buttons_[repairButton]->enable(true);
    buttons_[copyButton]->enable(true);
    buttons_[saveButton]->enable(true);
}

// ---- actions ----

void MainWindow::getInfo(Button*) { generateReport(*document_); }

void MainWindow::repairPluginPaths(Button*) {
    const String text = repairPlatform_ ? repairPluginPath(*document_, *repairPlatform_)
                                        : repairPluginPath(*document_);
    showReport(text);
}

void MainWindow::copyReport(Button*) {
    // The whole text, not the memo's: on Windows 9x the memo may hold only
    // the report's beginning.  Windows makes the Unicode and OEM forms of
    // CF_TEXT itself when another program asks for them.
    if (!OpenClipboard(handle())) return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, reportText_.length() + 1);
    char* characters = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (characters) {
        CopyMemory(characters, reportText_.c_str(), reportText_.length() + 1);
        GlobalUnlock(block);
        // The clipboard owns the block once it is taken; otherwise it is ours.
        if (SetClipboardData(CF_TEXT, block)) block = nullptr;
    }
    if (block) GlobalFree(block);
    CloseClipboard();
}

void MainWindow::prepareSaveDialog(OPENFILENAMEA& dialog, char* nameBuffer) {
    ZeroMemory(&dialog, sizeof(dialog));
    nameBuffer[0] = 0;
    // The Windows 95/NT 4 layout: older comdlg32 versions refuse the larger
    // structure of later headers.
    dialog.lStructSize = saveDialogStructSize;
    dialog.hwndOwner = handle();
    dialog.hInstance = application().instance();
    dialog.lpstrFilter = "Text files\0*.txt\0";   // the literal adds the final zero
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = nameBuffer;
    dialog.nMaxFile = saveNameCharacters;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    dialog.lpstrDefExt = "TXT";
}

void MainWindow::saveReport(Button*) {
    OPENFILENAMEA dialog;
    char name[saveNameCharacters];
    prepareSaveDialog(dialog, name);
    enterModal();
    const BOOL chosen = GetSaveFileNameA(&dialog);
    leaveModal();
    if (!chosen) return;   // cancelled
    saveReportTo(String(name));
}

void MainWindow::saveReportTo(const String& path) {
    SetLastError(ERROR_SUCCESS);
    if (writeReportFile(path)) return;
    const DWORD error = GetLastError();
    char reason[512] = "";
    if (error == ERROR_SUCCESS ||
        !FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason,
                        sizeof reason, nullptr))
        lstrcatA(reason, "The file could not be written.");
    const String text = String("The report could not be saved to\n") + path + "\n\n" + reason;
    enterModal();
    MessageBoxA(handle(), text.c_str(), "Save report", MB_OK | MB_ICONERROR);
    leaveModal();
}

bool MainWindow::writeReportFile(const String& path) {
    // The whole text, not the memo's (see copyReport).
    TextList lines;
    lines.parseText(reportText_.c_str(), reportText_.length());
    return lines.saveFile(path) != 0;
}

void MainWindow::showAbout(Button*) {
    MessageDialog* dialog = new MessageDialog(handle(), 1, "About");
    dialog->setButtonText(0, "OK");
    dialog->setEscapeResult(0);
    dialog->setFont(toolbar_->font());
    dialog->setTextColor(green);
    dialog->messagePanel()->setTextColor(yellow);
    enterModal();
    dialog->showMessage(aboutText(programVersion(true)), false);
    delete dialog;
    leaveModal();
}

void MainWindow::showHelp(Button*) { helpWindow_->showText(helpText); }
