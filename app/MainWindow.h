// MainWindow: the program's one top-level window, a row of six buttons over
// a read-only memo.  It owns the report document, the report's view in the
// memo (report/ReportMemoView) and is the document's owner (wait cursor,
// buttons that need a finished report).  In silent mode it is never shown and
// has no widgets: memo(), toolbar(), button(), helpWindow() and reportView()
// are then not to be used, and the document has no view.
#pragma once

#include "foundation/String.h"
#include "foundation/Win32.h"
#include "report/ReportDocument.h"
#include "toolkit/Component.h"
#include "toolkit/GdiObject.h"

#include <commdlg.h>

class Button;
class Memo;
class Panel;
class RepairPlatform;
class ReportMemoView;
class TextWindow;

class MainWindow : public Component, public ReportOwner {
public:
    // Button order in the toolbar.
    enum ButtonIndex {
        getInfoButton,
        repairButton,
        copyButton,
        saveButton,
        aboutButton,
        helpButton,
        buttonCount
    };

    // An ordinary resizable top-level window that never paints over its
    // children; shown at once unless silent.
    static constexpr DWORD silentStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION |
                                         WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    static constexpr DWORD visibleStyle = silentStyle | WS_VISIBLE;
    static constexpr DWORD toolbarStyle =
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP;
    static constexpr DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;
    static constexpr DWORD memoStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                       WS_DLGFRAME | WS_TABSTOP | ES_AUTOVSCROLL | ES_MULTILINE;
    static constexpr int iconResource = 104;
    static constexpr int saveDialogStructSize = 76;   // OPENFILENAMEA without the Windows 2000 fields
    // The system's path limit: a shorter buffer makes the dialog fail, with
    // nothing to show for it, as soon as the user picks a longer name.
    static constexpr int saveNameCharacters = MAX_PATH;

    explicit MainWindow(bool silent);
    // Deletes the help window and the report document, then the widgets and
    // the two fonts this window created.
    ~MainWindow() override;

    // WM_CLOSE ends the application's message loop, then closes as usual;
    // while a modal window of this one runs its loop (the about box, the
    // save dialog, a message box) the close waits until that loop ends, so
    // that nothing is deleted under it.
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    ReportDocument& document() { return *document_; }
    bool silent() const { return silent_; }

    // The report as the memo shows it; the document's view unless silent.
    ReportMemoView& reportView() { return *reportView_; }

    // --- the report owner ---
    void setReportCursor(HCURSOR cursor) override;
    void enableReportButtons() override;

    // --- button actions ---
    void getInfo(Button* button);
    // Replaces the report on screen with the repair's messages.
    void repairPluginPaths(Button* button);
    void copyReport(Button* button);
    void saveReport(Button* button);
    void showAbout(Button* button);
    void showHelp(Button* button);

    // The save action after the dialog: the report's lines into the file,
    // each ending in CR LF.  false when the file could not be written.
    bool writeReportFile(const String& path);
    // writeReportFile, and when it fails a message box naming the file and
    // the system's reason; the report in the window stays as it is.
    void saveReportTo(const String& path);
    // The save dialog's parameters; `nameBuffer` holds saveNameCharacters.
    void prepareSaveDialog(OPENFILENAMEA& dialog, char* nameBuffer);

    // What the repair changes; null (the default) is the real system.  Tests
    // put a stand-in here so that the shared registry stays as it is.
    void setRepairPlatform(RepairPlatform* platform) { repairPlatform_ = platform; }

    Memo* memo() const { return memo_; }
    Panel* toolbar() const { return toolbar_; }
    Button* button(int index) const;
    TextWindow* helpWindow() const { return helpWindow_; }
    HFONT windowFont() const { return windowFont_.get(); }
    HFONT toolbarFont() const { return toolbarFont_.get(); }
    HICON icon() const { return icon_; }

private:
    // The toolbar with its buttons, the memo with the report's view, the help
    // window (interactive mode only).
    void createWidgets();
    void createHelpWindow();
    // Around every modal loop this window starts.
    void enterModal() { ++modalDepth_; }
    void leaveModal();

    bool silent_;
    ReportDocument* document_ = nullptr;
    ReportMemoView* reportView_ = nullptr;
    Memo* memo_ = nullptr;
    Panel* toolbar_ = nullptr;
    Button* buttons_[buttonCount] = {};
    TextWindow* helpWindow_ = nullptr;
    GdiObject<HFONT> windowFont_;
    GdiObject<HFONT> toolbarFont_;
    HICON icon_ = nullptr;
    RepairPlatform* repairPlatform_ = nullptr;
    HCURSOR cursorBeforeReport_ = nullptr;
    int modalDepth_ = 0;
    bool closeDeferred_ = false;
};
