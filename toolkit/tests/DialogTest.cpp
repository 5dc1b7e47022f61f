// The message dialog (modal, built from toolkit parts) and the text window
// (modeless, hidden rather than destroyed).
#include "toolkit/Button.h"
#include "toolkit/Memo.h"
#include "toolkit/MessageDialog.h"
#include "toolkit/Panel.h"
#include "toolkit/PrivateMessages.h"
#include "toolkit/TextWindow.h"

#include "WidgetTest.h"

namespace {

// Ends a run through a second message once the Escape was handled, so that a
// dialog that ignores Escape still returns.
class EscapeWatcher {
public:
    int seen = 0;
    HWND closeAfter = nullptr;
    void escape(Component*) {
        ++seen;
        if (closeAfter) PostMessageA(closeAfter, WM_CLOSE, 0, 0);
    }
};

POINT centre(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

using DialogTest = WidgetTest;

}   // namespace

TEST_F(DialogTest, ButtonCountIsClampedToOneToFour) {
    struct Row {
        int asked;
        int made;
    };
    const Row rows[] = {{0, 1}, {-3, 1}, {1, 1}, {4, 4}, {6, 4}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.asked);
        MessageDialog dialog(host->handle(), row.asked, "count");
        EXPECT_EQ(dialog.buttonCount(), row.made);
        EXPECT_EQ(dialog.button(row.made - 1)->modalResult(), row.made);
        EXPECT_EQ(dialog.button(row.made), nullptr);
        EXPECT_STREQ(dialog.button(0)->text().c_str(), "OK");
    }
}

TEST_F(DialogTest, ButtonsShareOneSizeWhateverTheirTexts) {
    MessageDialog dialog(host->handle(), 3, "sizes");
    dialog.setButtonText(0, "Yes");
    dialog.setButtonText(1, "Certainly not, thank you");
    dialog.setButtonText(2, "Maybe");
    dialog.setButtonText(5, "ignored");
    for (int i = 1; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(dialog.button(i)->width(), dialog.button(0)->width());
        EXPECT_EQ(dialog.button(i)->height(), dialog.button(0)->height());
    }
    SIZE longest;
    dialog.button(1)->measureText("Certainly not, thank you", &longest);
    EXPECT_GE(dialog.button(0)->width(), longest.cx) << "the widest text decides";
}

TEST_F(DialogTest, CentredOnTheOwnersTopLevelWindowAndEscapeChoosesItsButton) {
    MoveWindow(host->handle(), 100, 80, 500, 400, TRUE);
    Component* control = new Component("control", WS_CHILD | WS_VISIBLE, 0, 0, 0, 40, 20, host->handle());
    MessageDialog dialog(control->handle(), 2, "About");
    dialog.setButtonText(1, "Cancel");
    dialog.setEscapeResult(1);
    PostMessageA(dialog.handle(), PrivateMessage::escape, 0, 0);
    int chosen;
    {
        ModalGuard guard;
        chosen = dialog.showMessage("Q8 Diagnostics Tool\nline two", false);
    }
    EXPECT_EQ(chosen, 1) << "Escape gives the escape button's index";
    const POINT dialogCentre = centre(dialog.handle());
    const POINT hostCentre = centre(host->handle());
    EXPECT_NEAR(dialogCentre.x, hostCentre.x, 1);
    EXPECT_NEAR(dialogCentre.y, hostCentre.y, 1);
    EXPECT_FALSE(dialog.isVisible()) << "hidden after the run";
    EXPECT_TRUE(IsWindowEnabled(host->handle())) << "the owner is enabled again";

    // The row: equal gaps, below the message panel.
    Button* a = dialog.button(0);
    Button* b = dialog.button(1);
    EXPECT_EQ(a->y(), dialog.messagePanel()->y() + dialog.messagePanel()->height() + 10);
    const int left = a->x(), between = b->x() - (a->x() + a->width()),
              right = dialog.clientWidth() - (b->x() + b->width());
    EXPECT_NEAR(left, between, 1);
    EXPECT_NEAR(right, between, 1);
}

TEST_F(DialogTest, EscapeWithoutAnEscapeResultDoesNothing) {
    MessageDialog dialog(host->handle(), 1, "About");
    EscapeWatcher watcher;
    watcher.closeAfter = dialog.handle();
    dialog.onEscape.bind(&watcher, &EscapeWatcher::escape);
    // Escape typed on the button climbs to the dialog (the popup).
    PostMessageA(dialog.button(0)->handle(), WM_CHAR, 27, 1);
    int chosen;
    {
        ModalGuard guard;
        chosen = dialog.showMessage("text", true);
    }
    EXPECT_EQ(watcher.seen, 1);
    EXPECT_EQ(chosen, -2) << "still open after Escape; the close box ended it";
    const POINT c = centre(dialog.handle());
    EXPECT_NEAR(c.x, GetSystemMetrics(SM_CXSCREEN) / 2, 1) << "centred on the screen when asked";
    EXPECT_NEAR(c.y, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST_F(DialogTest, ClickingAButtonReturnsItsIndex) {
    MessageDialog dialog(host->handle(), 3, "choose");
    PostMessageA(dialog.button(2)->handle(), WM_KEYDOWN, VK_RETURN, 1);
    ModalGuard guard;
    EXPECT_EQ(dialog.showMessage("pick one", false), 2);
}

TEST_F(DialogTest, TextWindowHidesInsteadOfClosingAndShowsAgain) {
    TextWindow window;
    struct Row {
        const char* what;
        void (*hide)(TextWindow&);
    };
    const Row rows[] = {
        {"close box", [](TextWindow& w) { SendMessageA(w.handle(), WM_CLOSE, 0, 0); }},
        {"Close button", [](TextWindow& w) { keyDown(w.closeButton()->handle(), VK_RETURN); }},
        {"Escape in the memo", [](TextWindow& w) { keyDown(w.memo()->handle(), VK_ESCAPE); }},
        {"Escape on the button", [](TextWindow& w) { keyDown(w.closeButton()->handle(), VK_ESCAPE); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        window.showText("Help text\r\nsecond line");
        pump();
        EXPECT_TRUE(window.isVisible());
        row.hide(window);
        pump();
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(IsWindow(window.handle())) << "hidden, never destroyed";
    }
    EXPECT_STREQ(window.memo()->line(1).c_str(), "second line");
    Button* close = window.closeButton();
    Panel* bar = window.buttonBar();
    EXPECT_EQ(bar->height(), close->height() + 20);
    EXPECT_NEAR(close->x(), (bar->width() - close->width()) / 2, 1) << "the button is centred in its bar";
}
