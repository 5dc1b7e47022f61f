#include "toolkit/Panel.h"

#include "foundation/DynamicCalls.h"
#include "toolkit/ApplicationContext.h"
#include "toolkit/GdiObject.h"
#include "toolkit/Graphics.h"
#include "toolkit/MemoryDc.h"
#include "toolkit/ScopedSelection.h"
#include "toolkit/TypeTags.h"
#include "toolkit/WindowDc.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

constexpr int maxPanelText = 1024;

// The same effect with two raster operations through a monochrome mask, for
// systems without msimg32: the mask is white where the source has the
// transparent colour.
void maskedBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceWidth, int sourceHeight,
               COLORREF transparent) {
    // Declared before the selection below: the mask is out of its DC when it
    // is deleted, and the DC goes last.
    MemoryDc maskDc(CreateCompatibleDC(source));
    ScopedBitmap mask(CreateBitmap(sourceWidth, sourceHeight, 1, 1, nullptr));
    if (!maskDc || !mask) {
        StretchBlt(target, x, y, width, height, source, 0, 0, sourceWidth, sourceHeight, SRCCOPY);
        return;
    }
    {
        ScopedSelection selectMask(maskDc.get(), mask.get());
        // Blitting colour to monochrome turns pixels of the background colour white.
        COLORREF oldBack = SetBkColor(source, transparent);
        BitBlt(maskDc.get(), 0, 0, sourceWidth, sourceHeight, source, 0, 0, SRCCOPY);
        SetBkColor(source, oldBack);
        COLORREF oldText = SetTextColor(target, RGB(0, 0, 0));
        oldBack = SetBkColor(target, RGB(255, 255, 255));
        // Keep the target where the mask is white, then add the source where it is black.
        StretchBlt(target, x, y, width, height, source, 0, 0, sourceWidth, sourceHeight, SRCINVERT);
        StretchBlt(target, x, y, width, height, maskDc.get(), 0, 0, sourceWidth, sourceHeight, SRCAND);
        StretchBlt(target, x, y, width, height, source, 0, 0, sourceWidth, sourceHeight, SRCINVERT);
        SetTextColor(target, oldText);
        SetBkColor(target, oldBack);
    }
}

void transparentCopy(HDC target, int x, int y, int width, int height, HDC source, int sourceWidth,
                     int sourceHeight, COLORREF transparent) {
    // msimg32.dll, which Windows 95 and NT 4.0 lack, comes from the run-time table.
    if (auto transparentBlt = dynamicCalls().transparentBlt) {
        transparentBlt(target, x, y, width, height, source, 0, 0, sourceWidth, sourceHeight, transparent);
    } else {
        maskedBlt(target, x, y, width, height, source, sourceWidth, sourceHeight, transparent);
    }
}

// A 32-bit top-down DIB section: pixels addressable as 0x00RRGGBB words.
HBITMAP createDib(HDC dc, int width, int height, uint32_t** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    *bits = static_cast<uint32_t*>(memory);
    return bitmap;
}

}   // namespace

Panel::Panel(const char* text, HWND parentWindow, int x, int y, int width, int height, DWORD style,
             DWORD exStyle)
    : Component(text, style, exStyle, x, y, width, height, parentWindow) {
    onPaintBackground.clear();
    setTypeTag(TypeTag::panel);
}

Panel::~Panel() { releaseBitmaps(); }

LRESULT Panel::eraseBackground(HDC) { return 1; }

void Panel::clientRect(RECT* rect) {
    GetClientRect(handle(), rect);
    const int depth = bevelDepth();
    switch (bevelStyle_) {
    case BevelStyle::sunkenBevel:
    case BevelStyle::raisedBevel:
        if (rect->right - rect->left >= 2 * depth && rect->bottom - rect->top >= 2 * depth) {
            inflate(*rect, -depth);
        }
        break;
    case BevelStyle::raisedEdge:
    case BevelStyle::etched:
    case BevelStyle::sunkenEdge:   // one ring, like the raised edge
        inflate(*rect, -1);
        break;
    default:
        break;
    }
}

void Panel::paint(HDC dc) {
    RECT outer;
    GetClientRect(handle(), &outer);
    RECT inner = outer;
    if (bevelStyle_ != BevelStyle::etched) clientRect(&inner);

    fillBackground(dc, inner);
    drawBitmap(dc, inner);

    // DefWindowProcA directly: derived widgets may answer WM_GETTEXT
    // differently, but the label is always the window's own text.
    char text[maxPanelText + 1];
    int length =
        static_cast<int>(DefWindowProcA(handle(), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text)));
    if (length < 0) length = 0;
    text[std::min(length, maxPanelText)] = 0;
    drawText(dc, inner, text, length);

    drawFrame(dc, outer);
    if (showFocus_ && GetFocus() == handle()) drawFocus(dc, outer);
    defaultProcessing(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void Panel::fillBackground(HDC dc, const RECT& rect) {
    if (onPaintBackground.isBound()) {
        onPaintBackground(this, dc, rect);
        return;
    }
    HBRUSH brush = (bevelStyle_ == BevelStyle::sunkenBevel && sunkenFace_) ? faceBrush() : baseBrush();
    FillRect(dc, &rect, brush);
}

void Panel::drawFrame(HDC dc, const RECT& rect) {
    int count = 0;
    const BevelPen* pens = bevelPens(&count);
    if (!pens || count < 1) return;
    int rings = bevelDepth();
    // The pen array may have been built for another depth; never read past it.
    if (bevelStyle_ == BevelStyle::raisedBevel || bevelStyle_ == BevelStyle::sunkenBevel) {
        rings = std::min(rings, count);
    }
    RECT frame = rect;
    drawBevel(dc, frame, bevelStyle_, rings, pens);
}

void Panel::focusChanged(bool gained) {
    if (showFocus_) invalidate();
    Component::focusChanged(gained);
}

void Panel::drawFocus(HDC dc, const RECT& rect) {
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    ScopedSelection brush(dc, GetStockObject(NULL_BRUSH));
    ScopedSelection pen(dc, shadowDotPen());
    // A dotted pen fills the gaps between its dots with the DC's background
    // colour (white by default) unless the background mode is transparent.
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    RoundRect(dc, rect.left, rect.top, rect.right - 1, rect.bottom - 1, w / 5, h / 5);
    pen.select(highlightDotPen());
    RoundRect(dc, rect.left + 1, rect.top + 1, rect.right, rect.bottom, w / 5, h / 5);
    SetBkMode(dc, oldMode);
}

UINT Panel::horizontalTextFlags() const {
    switch (textAlign_ & 0xF) {
    case 1:
        return DT_LEFT;
    case 2:
        return DT_RIGHT;
    default:
        return DT_CENTER;
    }
}

void Panel::drawText(HDC dc, const RECT& rect, const char* text, int length) {
    if (length <= 0) {
        measuredText_ = SIZE{0, 0};
        return;
    }
    ScopedSelection font(dc, this->font());
    SetTextColor(dc, static_cast<COLORREF>(isEnabled() ? textColor() : disabledTextColor()));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const UINT flags = DT_NOPREFIX | horizontalTextFlags();

    RECT measure{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    DrawTextA(dc, text, length, &measure, flags | DT_CALCRECT);
    measuredText_.cx = measure.right - measure.left;
    measuredText_.cy = measure.bottom - measure.top;

    POINT place{measuredText_.cx, measuredText_.cy};
    align(rect, textAlign_, place);
    RECT target{place.x, place.y, std::min<LONG>(place.x + measuredText_.cx, rect.right),
                std::min<LONG>(place.y + measuredText_.cy, rect.bottom)};
    DrawTextA(dc, text, length, &target, flags | DT_END_ELLIPSIS);
    SetBkMode(dc, oldMode);
}

BITMAP Panel::bitmapInfo() const {
    BITMAP info{};
    if (bitmap_) GetObjectA(bitmap_.get(), sizeof(info), &info);
    return info;
}

void Panel::drawBitmap(HDC dc, const RECT& rect) {
    if (!bitmap_ || !bitmapDc_) return;
    HBITMAP shown = (isEnabled() || !disabledBitmap_) ? bitmap_.get() : disabledBitmap_.get();
    SelectObject(bitmapDc_.get(), shown);
    const BITMAP info = bitmapInfo();
    const int width = info.bmWidth;
    const int height = info.bmHeight;
    if (width <= 0 || height <= 0) return;
    const COLORREF transparent = GetPixel(bitmapDc_.get(), 0, 0);

    if (bitmapAlign_ == stretchBitmap) {
        transparentCopy(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                        bitmapDc_.get(), width, height, transparent);
        return;
    }
    if (!halfSizeBitmap_ || width < 2 || height < 2) {
        POINT place{width, height};
        align(rect, bitmapAlign_, place);
        transparentCopy(dc, place.x, place.y, width, height, bitmapDc_.get(), width, height, transparent);
        return;
    }

    // Half size, smoothed: compose the bitmap over the background at full
    // size, then average each 2 x 2 block.  Shrinking the composed image keeps
    // the edges of the transparent areas soft instead of jagged.
    // Declared before the selections below, so each bitmap is out of the
    // work DC again when it is deleted; the DC goes last.
    MemoryDc work(CreateCompatibleDC(dc));
    uint32_t* full = nullptr;
    uint32_t* half = nullptr;
    const int halfWidth = width / 2;
    const int halfHeight = height / 2;
    ScopedBitmap fullBitmap(createDib(dc, width, height, &full));
    ScopedBitmap halfBitmap(createDib(dc, halfWidth, halfHeight, &half));
    if (work && fullBitmap && halfBitmap && full && half) {
        {
            ScopedSelection select(work.get(), fullBitmap.get());
            RECT all{0, 0, width, height};
            fillBackground(work.get(), all);
            transparentCopy(work.get(), 0, 0, width, height, bitmapDc_.get(), width, height, transparent);
        }
        GdiFlush();
        for (int y = 0; y < halfHeight; ++y) {
            for (int x = 0; x < halfWidth; ++x) {
                const uint32_t* a = full + (2 * y) * width + 2 * x;
                const uint32_t* b = a + width;
                uint32_t out = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    uint32_t sum = ((a[0] >> shift) & 0xFF) + ((a[1] >> shift) & 0xFF) +
                                   ((b[0] >> shift) & 0xFF) + ((b[1] >> shift) & 0xFF);
                    out |= ((sum + 2) / 4) << shift;
                }
                half[y * halfWidth + x] = out;
            }
        }
        POINT place{halfWidth, halfHeight};
        align(rect, bitmapAlign_, place);
        ScopedSelection select(work.get(), halfBitmap.get());
        BitBlt(dc, place.x, place.y, halfWidth, halfHeight, work.get(), 0, 0, SRCCOPY);
    }
}

void Panel::releaseBitmaps() {
    // Whichever bitmap the DC shows goes out with the stock one back in;
    // only then can the bitmaps be deleted.
    if (bitmapDc_) {
        if (displacedBitmap_) SelectObject(bitmapDc_.get(), displacedBitmap_);
        bitmapDc_.reset();
    }
    displacedBitmap_ = nullptr;
    bitmap_.reset();
    disabledBitmap_.reset();
}

void Panel::deriveDisabledBitmap() {
    const BITMAP info = bitmapInfo();
    const int width = info.bmWidth;
    const int height = info.bmHeight;
    if (width <= 0 || height <= 0) return;
    // GetDIBits needs a bitmap that is not selected into any DC, so this
    // runs before the bitmap goes into the panel's memory DC.
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    WindowDc screen(nullptr);
    if (!GetDIBits(screen.get(), bitmap_.get(), 0, height, pixels.data(), &format, DIB_RGB_COLORS)) return;
    const uint32_t transparent = pixels[0] & 0xFFFFFF;
    const COLORREF disabled = static_cast<COLORREF>(disabledTextColor());
    // DIB words are 0x00RRGGBB, COLORREF is 0x00BBGGRR.
    const uint32_t disabledWord =
        (GetRValue(disabled) << 16) | (GetGValue(disabled) << 8) | GetBValue(disabled);
    for (uint32_t& p : pixels) p = ((p & 0xFFFFFF) == transparent) ? 0 : disabledWord;
    disabledBitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
    if (disabledBitmap_) {
        SetDIBits(screen.get(), disabledBitmap_.get(), 0, height, pixels.data(), &format, DIB_RGB_COLORS);
    }
}

bool Panel::setBitmap(HBITMAP bitmap) {
    releaseBitmaps();
    if (!bitmap) {
        invalidate();
        return false;
    }
    bitmap_.reset(bitmap);
    deriveDisabledBitmap();
    bitmapDc_.reset(CreateCompatibleDC(nullptr));
    if (bitmapDc_) displacedBitmap_ = SelectObject(bitmapDc_.get(), bitmap_.get());
    invalidate();
    return true;
}

bool Panel::loadBitmap(const char* name, HINSTANCE instance) {
    if (!instance || instance == applicationInstance()) instance = application().instance();
    return setBitmap(LoadBitmapA(instance, name));
}

bool Panel::loadDisabledBitmap(const char* name, HINSTANCE instance) {
    if (!instance || instance == applicationInstance()) instance = application().instance();
    ScopedBitmap loaded(LoadBitmapA(instance, name));
    if (!loaded) return false;
    // The memory DC may hold the old disabled bitmap; put the normal one in
    // first, or deleting the old one below would fail.
    if (bitmapDc_ && bitmap_) SelectObject(bitmapDc_.get(), bitmap_.get());
    disabledBitmap_ = std::move(loaded);
    invalidate();
    return true;
}

void Panel::fitToText() {
    char text[maxPanelText + 1];
    int length = GetWindowTextA(handle(), text, sizeof(text));
    if (length < 0) length = 0;
    RECT measure{0, 0, 0, 0};
    {
        WindowDc dc(handle());
        ScopedSelection font(dc.get(), this->font());
        DrawTextA(dc.get(), text, length, &measure, DT_CALCRECT | DT_NOPREFIX | horizontalTextFlags());
    }
    int frame = 0;
    switch (bevelStyle_) {
    case BevelStyle::sunkenBevel:
    case BevelStyle::raisedBevel:
        frame = 2 * bevelDepth();
        break;
    case BevelStyle::raisedEdge:
    case BevelStyle::etched:
    case BevelStyle::sunkenEdge:
        frame = 2;
        break;
    default:
        break;
    }
    resize(measure.right - measure.left + frame, measure.bottom - measure.top + frame);
}

void Panel::setBevelStyle(int style) {
    bevelStyle_ = style;
    invalidate();
}
void Panel::setTextAlign(unsigned code) {
    textAlign_ = code;
    invalidate();
}
void Panel::setBitmapAlign(unsigned code) {
    bitmapAlign_ = code;
    invalidate();
}
void Panel::setShowFocus(bool on) {
    showFocus_ = on;
    invalidate();
}
void Panel::setSunkenFace(bool on) {
    sunkenFace_ = on;
    invalidate();
}
void Panel::setHalfSizeBitmap(bool on) {
    halfSizeBitmap_ = on;
    invalidate();
}
