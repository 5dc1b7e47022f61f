#include "toolkit/Graphics.h"
#include "toolkit/ResourceCache.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

TEST(Adjust, LightensAndDarkensEachChannelWithTruncation) {
    struct Row {
        COLORREF colour;
        double f;
        COLORREF expected;
    };
    const Row rows[] = {
        {0x404040, 0.4, 0x8c8c8c},  {0x404040, -0.4, 0x272727},
        {0x404040, 0.0, 0x404040},  {0x404040, 46 / 255.0, 0x626262},   // the root face colour
        {0x00ff00, 0.5, 0x7fff7f},                                      // channels move independently
        {0x00ff00, -0.5, 0x008000}, {0x123456, 1.0, 0xffffff},
        {0x123456, -1.0, 0x000000}, {0xff404040, 0.0, 0x404040},   // the high byte is dropped
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.colour << " f=" << row.f);
        EXPECT_EQ(adjust(row.colour, row.f), row.expected);
    }
}

TEST(Blend, MovesEachChannelTowardsTheOther) {
    EXPECT_EQ(blend(0x000000, 0xffffff, 0.5), 0x7f7f7fu);
    EXPECT_EQ(blend(0xff0000, 0x0000ff, 0.25), 0xc0003fu);
    EXPECT_EQ(blend(0x102030, 0x102030, 0.7), 0x102030u);
}

TEST(RectangleHelpers, InflateOffsetAndAlign) {
    RECT r{10, 20, 30, 40};
    inflate(r, 2);
    EXPECT_EQ(r.left, 8);
    EXPECT_EQ(r.top, 18);
    EXPECT_EQ(r.right, 32);
    EXPECT_EQ(r.bottom, 42);
    offset(r, -8, 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 24);
    EXPECT_EQ(r.bottom, 44);

    const RECT outer{10, 20, 110, 70};   // 100 x 50
    struct Row {
        unsigned code;
        LONG x;
        LONG y;
    };
    const Row rows[] = {
        {0x00, 10 + 40, 20 + 20}, {0x11, 10, 20}, {0x22, 110 - 20, 70 - 10}, {0x12, 110 - 20, 20},
        {0x21, 10, 70 - 10},      {0x33, 20, 10},   // unknown nibbles leave the size where it was
        {0x31, 10, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << row.code);
        POINT box{20, 10};
        align(outer, row.code, box);
        EXPECT_EQ(box.x, row.x);
        EXPECT_EQ(box.y, row.y);
    }
}

namespace {
// A 12 x 12 memory DC cleared to white, with distinct pen colours per ring.
class BevelCanvas : public testing::Test {
protected:
    void SetUp() override {
        screen_ = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen_);
        bitmap_ = CreateCompatibleBitmap(screen_, 12, 12);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, 12, 12};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        for (int i = 0; i < 3; ++i) {
            pens_[i].light = static_cast<HPEN>(cache_.take(lightColour(i)));
            pens_[i].dark = static_cast<HPEN>(cache_.take(darkColour(i)));
        }
        initialPen_ = GetCurrentObject(dc_, OBJ_PEN);
    }
    void TearDown() override {
        EXPECT_EQ(GetCurrentObject(dc_, OBJ_PEN), initialPen_) << "the DC's pen was not restored";
        for (auto& p : pens_) {
            cache_.release(p.light);
            cache_.release(p.dark);
        }
        EXPECT_EQ(cache_.size(), 0u);
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        ReleaseDC(nullptr, screen_);
    }
    static COLORREF lightColour(int i) { return RGB(0, 0, 200 + i); }
    static COLORREF darkColour(int i) { return RGB(100 + i, 0, 0); }
    COLORREF at(int x, int y) { return GetPixel(dc_, x, y); }

    HDC screen_{}, dc_{};
    HBITMAP bitmap_{};
    HGDIOBJ old_{}, initialPen_{};
    ResourceCache cache_{ResourceCache::SolidPen};
    BevelPen pens_[3]{};
};
}   // namespace

TEST_F(BevelCanvas, RaisedAndSunkenEdgesDrawOneRing) {
    struct Row {
        int style;
        COLORREF topLeft;
        COLORREF bottomRight;
    };
    const Row rows[] = {
        {BevelStyle::raisedEdge, lightColour(0), darkColour(0)},
        {BevelStyle::sunkenEdge, darkColour(0), lightColour(0)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "style " << row.style);
        RECT all{0, 0, 12, 12};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        RECT r{0, 0, 12, 12};
        drawBevel(dc_, r, row.style, 3, pens_);
        EXPECT_EQ(at(0, 5), row.topLeft);    // left edge
        EXPECT_EQ(at(5, 0), row.topLeft);    // top edge
        EXPECT_EQ(at(0, 11), row.topLeft);   // bottom-left corner belongs to the first pen
        EXPECT_EQ(at(11, 5), row.bottomRight);
        EXPECT_EQ(at(5, 11), row.bottomRight);
        EXPECT_EQ(at(11, 0), row.bottomRight);   // top-right corner to the second
        EXPECT_EQ(at(11, 11), row.bottomRight);
        EXPECT_EQ(at(1, 1), RGB(255, 255, 255)) << "only one ring";
        EXPECT_EQ(r.left, 1);
        EXPECT_EQ(r.top, 1);
        EXPECT_EQ(r.right, 11);
        EXPECT_EQ(r.bottom, 11);
    }
}

TEST_F(BevelCanvas, RaisedBevelPutsTheFirstPairOutermost) {
    RECT r{0, 0, 12, 12};
    drawBevel(dc_, r, BevelStyle::raisedBevel, 3, pens_);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(at(i, 6), lightColour(i));
        EXPECT_EQ(at(6, i), lightColour(i));
        EXPECT_EQ(at(11 - i, 6), darkColour(i));
        EXPECT_EQ(at(6, 11 - i), darkColour(i));
    }
    EXPECT_EQ(at(3, 6), RGB(255, 255, 255));
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.top, 3);
    EXPECT_EQ(r.right, 9);
    EXPECT_EQ(r.bottom, 9);
}

TEST_F(BevelCanvas, SunkenBevelPutsTheStrongestPairInnermost) {
    RECT r{0, 0, 12, 12};
    drawBevel(dc_, r, BevelStyle::sunkenBevel, 3, pens_);
    for (int ring = 0; ring < 3; ++ring) {
        SCOPED_TRACE(ring);
        int pair = 2 - ring;
        EXPECT_EQ(at(ring, 6), darkColour(pair));
        EXPECT_EQ(at(6, ring), darkColour(pair));
        EXPECT_EQ(at(11 - ring, 6), lightColour(pair));
        EXPECT_EQ(at(6, 11 - ring), lightColour(pair));
    }
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.bottom, 9);
}

TEST_F(BevelCanvas, EtchedFrameDrawsTwoOffsetRoundRectsAndKeepsTheRectangle) {
    RECT r{0, 0, 12, 12};
    drawBevel(dc_, r, BevelStyle::etched, 2, pens_);
    EXPECT_EQ(at(0, 6), lightColour(0));   // light frame on the left edge
    EXPECT_EQ(at(1, 6), darkColour(0));    // dark frame shifted by one
    EXPECT_EQ(at(6, 1), darkColour(0));
    EXPECT_EQ(at(6, 6), RGB(255, 255, 255));   // null brush: the inside stays
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 12);
    EXPECT_EQ(r.bottom, 12);
}

TEST_F(BevelCanvas, OtherStylesDrawNothing) {
    for (int style : {0, 6, -1}) {
        SCOPED_TRACE(style);
        RECT r{0, 0, 12, 12};
        drawBevel(dc_, r, style, 3, pens_);
        for (int x = 0; x < 12; ++x) EXPECT_EQ(at(x, 0), RGB(255, 255, 255));
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.right, 12);
    }
}

TEST(CreateFont, GivesAnOwnedFontWithTheRequestedAttributes) {
    HFONT font = createFont(-12, "Arial", true, false, true, false, DEFAULT_PITCH | FF_SWISS, ANSI_CHARSET);
    ASSERT_NE(font, nullptr);
    LOGFONTA lf{};
    ASSERT_EQ(GetObjectA(font, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfHeight, -12);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_FALSE(lf.lfItalic);
    EXPECT_EQ(lf.lfQuality, ANTIALIASED_QUALITY);
    EXPECT_STREQ(lf.lfFaceName, "Arial");
    DeleteObject(font);
}
