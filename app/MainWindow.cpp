#include "app/MainWindow.h"

#include "app/ProgramTexts.h"
#include "foundation/SystemQueries.h"
#include "foundation/TextList.h"
#include "repair/PluginPathRepair.h"
#include "report/GenerateReport.h"
#include "report/ReportMemoView.h"
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

}   // namespace

MainWindow::MainWindow(bool silent)
    : Component("Q8 Diagnostics Tool", silent ? silentStyle : visibleStyle, 0, 0, 0, 700, 400, nullptr),
      silent_(silent) {
    icon_ = LoadIconA(application().instance(), MAKEINTRESOURCEA(iconResource));
    SendMessageA(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));

    setTextColor(green);
    windowFont_.reset(createFont(14, "Terminal", false, false, false, false, FIXED_PITCH, 0));
    setFont(windowFont_.get());
    toolbarFont_.reset(createFont(12, "Arial", true, false, false, false, 0, 0));

    // A hidden window needs no widgets: the silent report (and the export,
    // whose host keeps whatever the report leaves) makes none, no tooltip
    // window either.  Nor does it depend on them: where no window can be made
    // at all (no desktop), widgets made for a window that is not there would
    // belong to nobody and never be deleted.
    //
    // The document reads the plug-in paths and deletes the old log file as
    // it is made; the view needs its log path.
    document_ = new ReportDocument(silent);
    document_->attachOwner(this);
    if (silent) return;
    createWidgets();
    document_->attachView(reportView_);
}

void MainWindow::createWidgets() {
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

    toolbar_->setFont(toolbarFont_.get());

    for (int i = 0; i < buttonCount; ++i) buttons_[i]->setTooltip(buttonTexts[i].tooltip);

    buttons_[getInfoButton]->takeFocus(false);

    memo_ = new Memo(handle(), 0, 0, 100, 100, memoStyle);
    memo_->setDock(Dock::fill);
    memo_->setScrollBar(true, green);
    memo_->setTextColor(yellow);
    memo_->setReadOnly(true);
    memo_->setTextLimit(0);
    reportView_ = new ReportMemoView(memo_, String("Q8diag, ver.: ") + programVersion(true));
    reportView_->setLogFilePath(document_->logFilePath());
}

void MainWindow::createHelpWindow() {
    helpWindow_ = new TextWindow();
    helpWindow_->resize(400, 400);
    helpWindow_->move(200, 50);
    helpWindow_->memo()->setTextColor(yellow);
    helpWindow_->setFont(font());
    helpWindow_->setTextColor(green);
    helpWindow_->closeButton()->setFont(toolbarFont_.get());
    helpWindow_->memo()->setScrollBar(true, green);
    helpWindow_->memo()->setFont(toolbarFont_.get());
    // The scroll bar set its own margin; the help text gets 16 pixels.
    SendMessageA(helpWindow_->memo()->handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, 16));
    SendMessageA(helpWindow_->handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
}

MainWindow::~MainWindow() {
    delete helpWindow_;
    helpWindow_ = nullptr;
    delete document_;
    document_ = nullptr;
    delete reportView_;
    reportView_ = nullptr;
    // The widgets go before the fonts they draw with; the Component teardown
    // would delete them only after this body.
    delete memo_;
    memo_ = nullptr;
    delete toolbar_;   // and its buttons
    toolbar_ = nullptr;
    windowFont_.reset();
    toolbarFont_.reset();
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
    if (silent_) return;   // no buttons
    buttons_[repairButton]->enable(true);
    buttons_[copyButton]->enable(true);
    buttons_[saveButton]->enable(true);
}

// ---- actions ----

void MainWindow::getInfo(Button*) { generateReport(*document_); }

void MainWindow::repairPluginPaths(Button*) {
    const String text =
        repairPlatform_ ? repairPluginPath(*document_, *repairPlatform_) : repairPluginPath(*document_);
    reportView_->showReport(text);
}

void MainWindow::copyReport(Button*) {
    // The whole text, not the memo's: on Windows 9x the memo may hold only
    // the report's beginning.  Windows makes the Unicode and OEM forms of
    // CF_TEXT itself when another program asks for them.
    if (!OpenClipboard(handle())) return;
    EmptyClipboard();
    const String& reportText = reportView_->reportText();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, reportText.length() + 1);
    char* characters = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (characters) {
        CopyMemory(characters, reportText.c_str(), reportText.length() + 1);
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
    if (error == ERROR_SUCCESS || !FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                                  nullptr, error, 0, reason, sizeof reason, nullptr))
        lstrcatA(reason, "The file could not be written.");
    const String text = String("The report could not be saved to\n") + path + "\n\n" + reason;
    enterModal();
    MessageBoxA(handle(), text.c_str(), "Save report", MB_OK | MB_ICONERROR);
    leaveModal();
}

bool MainWindow::writeReportFile(const String& path) {
    // The whole text, not the memo's (see copyReport).
    TextList lines;
    const String& reportText = reportView_->reportText();
    lines.parseText(reportText.c_str(), reportText.length());
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
