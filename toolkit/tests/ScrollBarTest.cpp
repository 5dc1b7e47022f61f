// The toolkit scroll bar: clamped 64-bit state, thumb geometry, arrows,
// track paging by its timer, dragging in whole steps, keys.
#include "toolkit/ScrollBar.h"

#include "WidgetTest.h"

namespace {

class Scrolls {
public:
    int count = 0;
    void scrolled(ScrollBar*) { ++count; }
};

class ScrollBarTest : public WidgetTest {
protected:
    // Vertical, one bevel ring: the inner area is 10 wide, so arrows are
    // 10 x 10 and the track between them is 90 pixels long.
    void SetUp() override {
        WidgetTest::SetUp();
        bar = new ScrollBar(host->handle(), true, 10, 10, 12, 112, Dock::none);
        bar->setBevelDepth(1);
        bar->onScroll.bind(&scrolls, &Scrolls::scrolled);
    }
    int thumbTop() { return bar->thumb()->y(); }
    int thumbLength() { return bar->thumb()->height(); }
    ScrollBar* bar = nullptr;
    Scrolls scrolls;
};

}   // namespace

TEST_F(ScrollBarTest, SetStateClampsAndHidesTheThumbWhenAllIsVisible) {
    struct Row {
        const char* what;
        int64_t min, max, page, pos;
        int64_t eMax, ePage, ePos;
        bool thumb;
    };
    const Row rows[] = {
        {"position past the end", 0, 100, 10, 95, 100, 10, 90, true},
        {"page larger than the range", 0, 5, 20, 0, 5, 5, 0, false},
        {"maximum below minimum", 10, 5, 0, 7, 10, 0, 10, false},
        {"position before the start", 50, 200, 10, 3, 200, 10, 50, true},
        {"beyond 32 bits", 0, 0x300000000LL, 0x100000000LL, 0x280000000LL, 0x300000000LL, 0x100000000LL,
         0x200000000LL, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        bar->setState(row.min, row.max, row.page, row.pos);
        EXPECT_EQ(bar->maximum(), row.eMax);
        EXPECT_EQ(bar->page(), row.ePage);
        EXPECT_EQ(bar->position(), row.ePos);
        EXPECT_EQ(shown(bar->thumb()), row.thumb);
        EXPECT_EQ(bar->decButton()->isEnabled(), row.thumb) << "arrows are off while all is visible";
        EXPECT_EQ(bar->incButton()->isEnabled(), row.thumb);
    }
    EXPECT_EQ(scrolls.count, 0) << "setState never reports a scroll";
}

TEST_F(ScrollBarTest, ThumbLengthFollowsThePageWithItsMinimums) {
    struct Row {
        const char* what;
        int64_t page;
        int minLength;
        int length;
    };
    const Row rows[] = {
        {"a tenth of a 90-pixel track", 10, 0, 9},
        {"never shorter than the bevel on both ends", 1, 0, 2},
        {"minThumbLength wins when larger", 10, 20, 20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        bar->setMinThumbLength(row.minLength);
        bar->setState(0, 100, row.page, 0);
        EXPECT_EQ(thumbLength(), row.length);
        EXPECT_EQ(thumbTop(), 1 + 10) << "at the start: inside the bevel, below the up arrow";
    }
    bar->setMinThumbLength(0);
    bar->setState(0, 100, 10, 90);
    EXPECT_EQ(thumbTop() + thumbLength(), 1 + 10 + 90) << "at the end the thumb touches the down arrow";
}

TEST_F(ScrollBarTest, SetPositionReportsOnlyChanges) {
    bar->setState(0, 100, 10, 40);
    bar->setPosition(40);
    EXPECT_EQ(scrolls.count, 0);
    bar->setPosition(41);
    EXPECT_EQ(scrolls.count, 1);
    bar->setPosition(500);
    EXPECT_EQ(bar->position(), 90);
    EXPECT_EQ(scrolls.count, 2);
    bar->setPage(50);
    EXPECT_EQ(bar->position(), 50) << "a larger page pulls the position back";
    EXPECT_EQ(scrolls.count, 3);
}

TEST_F(ScrollBarTest, ArrowsStepAndRepeatUntilTheEnd) {
    bar->setState(0, 100, 10, 70);
    bar->setStep(7);
    HWND down = bar->incButton()->handle();
    mouseDown(down, 5, 5);
    EXPECT_EQ(bar->position(), 77) << "at once";
    tick(down, Button::repeatDelayTimer);
    EXPECT_EQ(bar->position(), 84) << "after the delay";
    tick(down, Button::repeatTimer);
    EXPECT_EQ(bar->position(), 90) << "stops at maximum - page";
    tick(down, Button::repeatTimer);
    EXPECT_EQ(bar->position(), 90);
    mouseUp(down, 5, 5);

    HWND up = bar->decButton()->handle();
    mouseDown(up, 5, 5);
    mouseUp(up, 5, 5);
    EXPECT_EQ(bar->position(), 83);
}

TEST_F(ScrollBarTest, TrackPressPagesTowardThePointerAndStopsThere) {
    bar->setState(0, 100, 10, 0);
    HWND w = bar->handle();
    const int pointerY = 80;   // far below the thumb
    mouseDown(w, 5, pointerY);
    EXPECT_EQ(bar->position(), 10) << "one page at once";
    int ticks = 0;
    while (ticks < 20 && !(thumbTop() <= pointerY && pointerY < thumbTop() + thumbLength())) {
        tick(w, ScrollBar::pagingTimer);
        ++ticks;
    }
    const int64_t reached = bar->position();
    EXPECT_GT(reached, 10);
    EXPECT_LE(thumbTop(), pointerY);
    EXPECT_GT(thumbTop() + thumbLength(), pointerY) << "the thumb reached the pointer";
    tick(w, ScrollBar::pagingTimer);
    EXPECT_EQ(bar->position(), reached) << "no paging once the thumb is under the pointer";

    dragTo(w, 5, 2);   // pointer moved above the thumb, button still held
    tick(w, ScrollBar::pagingTimer);
    EXPECT_EQ(bar->position(), reached - 10) << "paging follows the pointer back up";
    mouseUp(w, 5, 2);
    EXPECT_FALSE(timerRunning(w, ScrollBar::pagingTimer)) << "release stops the paging timer";
}

// The track held, then the capture lost to another window: paging stops.
TEST_F(ScrollBarTest, TrackPagingStopsWhenTheCaptureGoesElsewhere) {
    bar->setState(0, 100, 10, 0);
    HWND w = bar->handle();
    mouseDown(w, 5, 80);
    ASSERT_EQ(GetCapture(), w);
    SetCapture(GetParent(w));
    EXPECT_FALSE(timerRunning(w, ScrollBar::pagingTimer));
    ReleaseCapture();
}

TEST_F(ScrollBarTest, DragMovesInWholeSteps) {
    // range - page = 90 over a span of 90 - 9 = 81 pixels.
    struct Row {
        const char* what;
        int64_t step;
        int dy;
        int64_t moved;
    };
    const Row rows[] = {
        {"step 1 follows the pixels", 1, 9, 10},
        {"rounded up to a step of 5", 5, 9, 10},
        {"a small move still takes one step", 5, 1, 5},
        {"upward rounds the same way", 5, -9, -10},
        {"a negative step reverses", -5, 9, -10},
        {"a step with an empty low word counts as 1", 0x10000, 9, 10},
    };
    HWND thumb = bar->thumb()->handle();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        bar->setState(0, 100, 10, 40);
        bar->setStep(row.step);
        hover(thumb, 3, 3);
        mouseDown(thumb, 3, 3);
        dragTo(thumb, 3, 3 + row.dy);
        mouseUp(thumb, 3, 3 + row.dy);
        EXPECT_EQ(bar->position() - 40, row.moved);
    }
}

TEST_F(ScrollBarTest, KeysOnTheThumbIgnoreTheStep) {
    bar->setState(0, 100, 10, 50);
    bar->setStep(5);
    HWND thumb = bar->thumb()->handle();
    struct Row {
        unsigned vk;
        int64_t position;
    };
    const Row rows[] = {{VK_DOWN, 51}, {VK_RIGHT, 52}, {VK_UP, 51},
                        {VK_LEFT, 50}, {VK_NEXT, 60},  {VK_PRIOR, 50}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.vk);
        keyDown(thumb, row.vk);
        EXPECT_EQ(bar->position(), row.position);
    }
}

TEST_F(ScrollBarTest, TextColourRecoloursTheArrowGlyphs) {
    bar->setTextColor(0x00ff00);
    EXPECT_EQ(bar->decButton()->glyphColor(), 0x00ff00u);
    EXPECT_EQ(bar->incButton()->highlightColor(), 0x00ff00u);
}
