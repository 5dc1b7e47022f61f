// Panel geometry and drawing: the inner rectangle per bevel style, sizing to
// the text, text placement, the background hook and the bitmap with its
// transparent colour, disabled look and half-size smoothing.
#include "toolkit/Panel.h"

#include "WidgetTest.h"

#include <cstdint>
#include <vector>

namespace {

constexpr DWORD childStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr COLORREF base = 0x404040;
constexpr COLORREF magenta = RGB(255, 0, 255);

// Paints the panel into a 32-bit memory DC and answers pixel questions.
class Canvas {
public:
    explicit Canvas(Panel* p) : w_(p->clientWidth()), h_(p->clientHeight()) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w_;
        info.bmiHeader.biHeight = -h_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        SendMessageA(p->handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc_), 0);
        GdiFlush();
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }
    // Bounding box of the pixels that are not `background`, inside `area`.
    RECT inkBox(const RECT& area, COLORREF background) const {
        RECT box{area.right, area.bottom, area.left, area.top};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (at(x, y) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// A 4 x 4 bitmap: the left half in the transparent colour (its top-left
// pixel), the right half a white and black checker.
HBITMAP checkerBitmap() {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            SetPixel(dc, x, y, x < 2 ? magenta : (((x + y) & 1) ? RGB(0, 0, 0) : RGB(255, 255, 255)));
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

class Filler {
public:
    void fill(Panel*, HDC dc, const RECT& r) {
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &r, red);
        DeleteObject(red);
        area = r;
    }
    RECT area{};
};

class PanelTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        panel = new Panel("", host->handle(), 0, 0, 60, 40, childStyle);
    }
    Panel* panel = nullptr;
};

}   // namespace

TEST_F(PanelTest, InnerRectangleAndFitToTextFollowTheBevelStyle) {
    struct Row {
        const char* what;
        int style;
        RECT inner;
        int frame;
    };
    const Row rows[] = {
        {"raised bevel: depth 3 on every side", BevelStyle::raisedBevel, {3, 3, 57, 37}, 6},
        {"sunken bevel", BevelStyle::sunkenBevel, {3, 3, 57, 37}, 6},
        {"raised edge: one ring", BevelStyle::raisedEdge, {1, 1, 59, 39}, 2},
        {"sunken edge: one ring", BevelStyle::sunkenEdge, {1, 1, 59, 39}, 2},
        {"etched frame", BevelStyle::etched, {1, 1, 59, 39}, 2},
        {"no frame", BevelStyle::none, {0, 0, 60, 40}, 0},
    };
    panel->setText("Get\nInfo");
    RECT text{0, 0, 0, 0};
    {
        HDC dc = GetDC(panel->handle());
        HGDIOBJ old = panel->font() ? SelectObject(dc, panel->font()) : nullptr;
        DrawTextA(dc, "Get\nInfo", -1, &text, DT_CALCRECT | DT_NOPREFIX | DT_CENTER);
        if (old) SelectObject(dc, old);
        ReleaseDC(panel->handle(), dc);
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        panel->setBevelStyle(row.style);
        panel->resize(60, 40);
        RECT inner;
        panel->clientRect(&inner);
        EXPECT_EQ(inner.left, row.inner.left);
        EXPECT_EQ(inner.top, row.inner.top);
        EXPECT_EQ(inner.right, row.inner.right);
        EXPECT_EQ(inner.bottom, row.inner.bottom);
        panel->fitToText();
        EXPECT_EQ(panel->width(), text.right + row.frame);
        EXPECT_EQ(panel->height(), text.bottom + row.frame);
    }
    panel->setBevelStyle(BevelStyle::raisedBevel);
    panel->resize(5, 5);
    RECT tiny;
    panel->clientRect(&tiny);
    EXPECT_EQ(tiny.right - tiny.left, 5) << "too small for the bevel: not shrunk";
}

TEST_F(PanelTest, TextIsPlacedByItsAlignmentOnAsManyLinesAsItHas) {
    panel->resize(120, 60);
    panel->setText("Get\nInfo");
    panel->setTextColor(RGB(255, 255, 255));
    struct Row {
        const char* what;
        unsigned code;
    };
    const Row rows[] = {{"centred", 0x00}, {"top left", 0x11}, {"bottom right", 0x22}};
    const RECT inner{3, 3, 117, 57};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        panel->setTextAlign(row.code);
        Canvas canvas(panel);
        EXPECT_EQ(panel->measuredText().cy, 2 * panel->textHeight()) << "two lines";
        const RECT ink = canvas.inkBox(inner, base);
        ASSERT_LT(ink.left, ink.right) << "text drawn";
        const int leftGap = ink.left - inner.left, rightGap = inner.right - ink.right;
        const int topGap = ink.top - inner.top, bottomGap = inner.bottom - ink.bottom;
        switch (row.code) {
        case 0x00:
            EXPECT_NEAR(leftGap, rightGap, 3);
            EXPECT_NEAR(topGap, bottomGap, 4);
            break;
        case 0x11:
            EXPECT_LE(leftGap, 2);
            EXPECT_LE(topGap, 3);
            break;
        case 0x22:
            EXPECT_LE(rightGap, 2);
            EXPECT_LE(bottomGap, 4);
            break;
        }
    }
}

TEST_F(PanelTest, BackgroundHookReplacesTheFill) {
    Filler filler;
    panel->onPaintBackground.bind(&filler, &Filler::fill);
    Canvas canvas(panel);
    EXPECT_EQ(canvas.at(30, 20), RGB(255, 0, 0));
    EXPECT_EQ(filler.area.left, 3) << "the hook gets the area inside the bevel";
    EXPECT_EQ(filler.area.right, 57);
}

TEST_F(PanelTest, BitmapIsTransparentDisabledAndHalvedWithSmoothing) {
    ASSERT_TRUE(panel->setBitmap(checkerBitmap()));
    panel->setBitmapAlign(0x11);   // top left inside the bevel, at (3, 3)

    panel->setHalfSizeBitmap(false);
    {
        SCOPED_TRACE("full size");
        Canvas c(panel);
        EXPECT_EQ(c.at(3, 3), base) << "the top-left colour is transparent";
        EXPECT_EQ(c.at(5, 3), RGB(255, 255, 255));
        EXPECT_EQ(c.at(6, 3), RGB(0, 0, 0));
        EXPECT_EQ(c.at(7, 3), base) << "nothing beyond the bitmap";
    }
    panel->setHalfSizeBitmap(true);
    {
        SCOPED_TRACE("half size");
        Canvas c(panel);
        EXPECT_EQ(c.at(3, 3), base) << "transparent part composed over the background";
        EXPECT_EQ(c.at(4, 3), RGB(128, 128, 128)) << "2 x 2 checker averaged";
        EXPECT_EQ(c.at(4, 4), RGB(128, 128, 128));
        EXPECT_EQ(c.at(5, 3), base) << "half the width only";
    }
    panel->setHalfSizeBitmap(false);
    panel->enable(false);
    {
        SCOPED_TRACE("disabled");
        Canvas c(panel);
        EXPECT_EQ(c.at(3, 3), base) << "transparent areas stay transparent";
        EXPECT_EQ(c.at(5, 3), RGB(128, 128, 128)) << "the picture in the disabled text colour";
        EXPECT_EQ(c.at(6, 3), RGB(128, 128, 128));
    }
    panel->enable(true);
    panel->setBitmapAlign(Panel::stretchBitmap);
    {
        SCOPED_TRACE("stretched over the inner area");
        Canvas c(panel);
        EXPECT_EQ(c.at(10, 20), base) << "left half transparent";
        EXPECT_NE(c.at(50, 20), base) << "the checker reaches the right edge";
    }
}
