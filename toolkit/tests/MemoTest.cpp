// The memo over a native EDIT: text operations, its toolkit scroll bar kept
// in step with the text, the wheel, and the tooltip registration.
#include "toolkit/Memo.h"
#include "toolkit/ScrollBar.h"
#include "toolkit/Tooltips.h"
#include "toolkit/TypeTags.h"

#include <commctrl.h>

#include "WidgetTest.h"

#include <string>

namespace {

constexpr DWORD reportMemoStyle = 0x56410044;

class MemoTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        memo = new Memo(host->handle(), 0, 0, 300, 200, reportMemoStyle);
    }
    std::string text() { return memo->text().c_str(); }
    // Sizes the memo so that exactly `lines` lines fit its formatting rectangle.
    void fitLines(int lines) {
        RECT format;
        SendMessageA(memo->handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        const int extra = memo->clientHeight() - (format.bottom - format.top);
        memo->resize(-1, memo->height() - memo->clientHeight() + extra + lines * memo->textHeight() + 2);
    }
    static std::string numberedLines(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += (i ? "\r\n" : "") + ("line " + std::to_string(i));
        return s;
    }
    Memo* memo = nullptr;
};

class WheelRecorder {
public:
    int turns = 0;
    void wheel(Component*, int, unsigned, bool* passOn) {
        ++turns;
        *passOn = false;
    }
};

}   // namespace

TEST_F(MemoTest, TextOperations) {
    memo->appendLine("first");
    EXPECT_EQ(text(), "first\r\n") << "appendLine on an empty memo";
    memo->appendLine("second");
    EXPECT_EQ(text(), "first\r\nsecond\r\n");
    EXPECT_EQ(memo->lineCount(), 3);
    EXPECT_EQ(std::string(memo->line(1).c_str()), "second");
    EXPECT_EQ(memo->lineLength(1), 6);

    memo->replaceLine(0, "1st line");
    EXPECT_EQ(text(), "1st line\r\nsecond\r\n") << "only the line, not its break";
    memo->replaceLine(7, "nowhere");
    EXPECT_EQ(text(), "1st line\r\nsecond\r\n") << "a line beyond the text changes nothing";
    memo->insertAt(0, "head\r\n");
    memo->appendText("tail");
    EXPECT_EQ(text(), "head\r\n1st line\r\nsecond\r\ntail");

    memo->setSelection(6, 3);
    int start = -1, length = -1;
    ASSERT_TRUE(memo->getSelection(&start, &length));
    EXPECT_EQ(start, 6);
    EXPECT_EQ(length, 3);
    int column = -1, line = -1;
    memo->caretLine(&column, &line);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(column, 0);
    memo->replaceSelection("one");
    EXPECT_EQ(std::string(memo->line(1).c_str()), "one line");

    memo->setReadOnly(true);
    EXPECT_TRUE(memo->isReadOnly());
    memo->clear();
    EXPECT_EQ(text(), "");
}

TEST_F(MemoTest, GetLineRespectsTheBufferSize) {
    memo->setText("abcdef");
    char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(memo->getLine(0, buffer, 1), 0);
    EXPECT_EQ(buffer[0], 'x') << "a size of 1 writes nothing";
    EXPECT_EQ(memo->getLine(0, buffer, 4), 3) << "one byte stays for the terminator";
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(memo->getLine(0, buffer, 8), 6);
    EXPECT_STREQ(buffer, "abcdef");
}

TEST_F(MemoTest, SelectionBeyond64KStillReads) {
    std::string big;
    while (big.size() < 70000) big += "abc\r\n";
    memo->setTextLimit(0);
    memo->setText(big.c_str());
    memo->setSelection(66000, 100);
    int start = 0, length = 0;
    ASSERT_TRUE(memo->getSelection(&start, &length));
    EXPECT_EQ(start, 66000);
    EXPECT_EQ(length, 100);
}

TEST_F(MemoTest, ScrollBarFollowsTheText) {
    memo->setScrollBar(true, 0x00ff00);
    fitLines(20);
    ScrollBar* bar = memo->scrollBar();
    ASSERT_NE(bar, nullptr);

    struct Row {
        const char* what;
        int lines;
        int64_t page;
        bool thumb;
    };
    const Row rows[] = {
        {"100 lines, 20 visible", 100, 20, true},
        {"5 lines all visible", 5, 5, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        memo->setText(numberedLines(row.lines).c_str());
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), row.lines);
        EXPECT_EQ(bar->page(), row.page);
        EXPECT_EQ(bar->position(), 0);
        EXPECT_EQ(shown(bar->thumb()), row.thumb);
    }

    memo->setText(numberedLines(100).c_str());
    bar->setPosition(40);
    EXPECT_EQ(SendMessageA(memo->handle(), EM_GETFIRSTVISIBLELINE, 0, 0), 40) << "the bar scrolls the text";

    SendMessageA(memo->handle(), EM_LINESCROLL, 0, -15);
    pump();
    EXPECT_EQ(bar->position(), 25) << "scrolling the text moves the bar";
}

// A notch scrolls the user's wheel setting in lines (3 unless changed);
// partial turns (touchpads, smooth wheels) add up until they make a notch.
TEST_F(MemoTest, WheelScrollsTheUsersLinesPerNotchAndAddsUpPartialTurns) {
    memo->setScrollBar(true, 0x00ff00);
    fitLines(20);
    memo->setText(numberedLines(100).c_str());
    SendMessageA(memo->handle(), EM_LINESCROLL, 0, 30);
    const int lines = Memo::wheelScrollLines();
    ASSERT_GT(lines, 0) << "the test prefix keeps the default setting";
    WheelRecorder recorder;
    memo->onWheel.bind(&recorder, &WheelRecorder::wheel);
    auto turn = [&](int delta) {
        SendMessageA(memo->handle(), WM_MOUSEWHEEL,
                     MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
        return static_cast<int>(SendMessageA(memo->handle(), EM_GETFIRSTVISIBLELINE, 0, 0));
    };

    EXPECT_EQ(turn(WHEEL_DELTA), 30 - lines) << "up one notch";
    EXPECT_EQ(memo->scrollBar()->position(), 30 - lines);
    EXPECT_EQ(recorder.turns, 1) << "the turn also reached onWheel";
    EXPECT_EQ(turn(-2 * WHEEL_DELTA), 30 + lines) << "two notches down";

    struct Row {
        int delta;
        int expectedFirstLine;
    } rows[] = {
        {-40, 30 + lines},    {-40, 30 + lines}, {-40, 30 + 2 * lines},   // three thirds make a notch
        {60, 30 + 2 * lines},                                             // the other way starts afresh
        {60, 30 + lines},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.delta);
        EXPECT_EQ(turn(row.delta), row.expectedFirstLine);
    }
}

TEST_F(MemoTest, SecondSetScrollBarOnlyRecolours) {
    memo->setScrollBar(true, 0x00ff00);
    ScrollBar* first = memo->scrollBar();
    memo->setScrollBar(true, 0x0000ff);
    EXPECT_EQ(memo->scrollBar(), first);
    int bars = 0;
    for (Component* c = memo->nextChild(nullptr, false); c; c = memo->nextChild(c, false)) {
        if (c->typeTag() == TypeTag::scrollBar) ++bars;
    }
    EXPECT_EQ(bars, 1);
    EXPECT_EQ(first->textColor(), 0x0000ff);
    EXPECT_EQ(first->decButton()->glyphColor(), 0x0000ffu);
    EXPECT_TRUE(memo->isFocusableContainer());
    EXPECT_FALSE(first->style() & WS_TABSTOP) << "Tab skips the bar: the memo takes the focus itself";

    memo->setScrollBar(false, 0);
    EXPECT_EQ(memo->scrollBar(), nullptr);
    EXPECT_FALSE(memo->isFocusableContainer());
    EXPECT_EQ(memo->nextChild(nullptr, false), nullptr);
}

// The tooltip window keeps a tool (and its subclass of the window) until it
// is told to forget it: a component must take its tool along however it goes.
TEST_F(MemoTest, ItsToolGoesWithTheComponentHoweverItGoes) {
    HWND tips = Tooltips::shared().window();
    ASSERT_TRUE(tips);
    struct Row {
        const char* what;
        bool deleteObject;   // else the parent's native window is destroyed
    };
    for (const Row& row : {Row{"object deleted", true}, Row{"native parent destroyed", false}}) {
        SCOPED_TRACE(row.what);
        const LRESULT before = SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0);
        Component* holder = new Component("holder", WS_CHILD | WS_VISIBLE, 0, 0, 0, 200, 100, host->handle());
        Memo* tipped = new Memo(holder->handle(), 0, 0, 100, 50, reportMemoStyle);
        tipped->setTooltip("tip");
        ASSERT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), before + 1);
        if (row.deleteObject)
            delete holder;
        else
            DestroyWindow(holder->handle());   // the toolkit deletes both objects
        pump();
        EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), before);
    }
}

TEST_F(MemoTest, TooltipTextSetTwiceRegistersOnce) {
    HWND tips = Tooltips::shared().window();
    ASSERT_TRUE(tips);
    const LRESULT before = SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0);
    memo->setTooltip("first tip");
    memo->setTooltip("second tip");
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), before + 1);

    char buffer[80] = "";
    TTTOOLINFOA info{};
    info.cbSize = 44;
    info.hwnd = memo->handle();
    info.uId = reinterpret_cast<UINT_PTR>(memo->handle());
    info.lpszText = buffer;
    SendMessageA(tips, TTM_GETTEXTA, sizeof(buffer), reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(buffer, "second tip");
}
