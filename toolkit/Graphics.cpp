#include "toolkit/Graphics.h"

#include "toolkit/ScopedSelection.h"

namespace {

int adjustChannel(int c, double f) {
    // Truncation toward zero is what the int conversion does.
    if (f > 0) return c + static_cast<int>((255 - c) * f);
    double magnitude = f < 0 ? -f : f;
    return c - static_cast<int>(c * magnitude);
}

int clampChannel(int c) { return c < 0 ? 0 : (c > 255 ? 255 : c); }

// One ring: the first pen draws left and top edges, the second right and
// bottom.  GDI lines leave out their end pixel, so the corners split cleanly:
// bottom-left belongs to the first pen, top-right to the second.
void drawRing(HDC dc, const RECT& r, HPEN first, HPEN second) {
    POINT lit[3] = {{r.left, r.bottom}, {r.left, r.top}, {r.right, r.top}};
    POINT shaded[3] = {{r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    SelectObject(dc, first);
    Polyline(dc, lit, 3);
    SelectObject(dc, second);
    Polyline(dc, shaded, 3);
}

void shrink(RECT& r) { inflate(r, -1); }

}   // namespace

COLORREF adjust(COLORREF colour, double f) {
    int r = clampChannel(adjustChannel(GetRValue(colour), f));
    int g = clampChannel(adjustChannel(GetGValue(colour), f));
    int b = clampChannel(adjustChannel(GetBValue(colour), f));
    return RGB(r, g, b);
}

COLORREF blend(COLORREF a, COLORREF b, double t) {
    auto mix = [t](int x, int y) { return clampChannel(x + static_cast<int>((y - x) * t)); };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
               mix(GetBValue(a), GetBValue(b)));
}

void inflate(RECT& rect, int d) {
    rect.left -= d;
    rect.top -= d;
    rect.right += d;
    rect.bottom += d;
}

void offset(RECT& rect, int dx, int dy) {
    rect.left += dx;
    rect.right += dx;
    rect.top += dy;
    rect.bottom += dy;
}

void align(const RECT& outer, unsigned code, POINT& box) {
    const int width = box.x;
    const int height = box.y;
    switch ((code >> 4) & 0xF) {
    case 0x1:
        box.y = outer.top;
        break;
    case 0x2:
        box.y = outer.bottom - height;
        break;
    case 0x0:
        box.y = (outer.bottom - outer.top - height) / 2 + outer.top;
        break;
    default:
        break;
    }
    switch (code & 0xF) {
    case 0x1:
        box.x = outer.left;
        break;
    case 0x2:
        box.x = outer.right - width;
        break;
    case 0x0:
        box.x = (outer.right - outer.left - width) / 2 + outer.left;
        break;
    default:
        break;
    }
}

void drawBevel(HDC dc, RECT& rect, int style, int n, const BevelPen* pens) {
    if (!dc || !pens) return;
    if (style < BevelStyle::raisedEdge || style > BevelStyle::sunkenEdge) return;
    // Work on inclusive coordinates: the ring's right and bottom edges are
    // drawn on the last pixel column and row inside the rectangle.
    rect.right -= 1;
    rect.bottom -= 1;
    HGDIOBJ oldPen = GetCurrentObject(dc, OBJ_PEN);
    switch (style) {
    case BevelStyle::raisedEdge:
        drawRing(dc, rect, pens[0].light, pens[0].dark);
        shrink(rect);
        break;
    case BevelStyle::sunkenEdge:
        drawRing(dc, rect, pens[0].dark, pens[0].light);
        shrink(rect);
        break;
    case BevelStyle::raisedBevel:
        for (int i = 0; i < n; ++i) {
            drawRing(dc, rect, pens[i].light, pens[i].dark);
            shrink(rect);
        }
        break;
    case BevelStyle::sunkenBevel:
        // Strongest shading innermost: the outer ring takes the weakest pair.
        for (int i = 0; i < n; ++i) {
            drawRing(dc, rect, pens[n - 1 - i].dark, pens[n - 1 - i].light);
            shrink(rect);
        }
        break;
    case BevelStyle::etched: {
        ScopedSelection brush(dc, GetStockObject(NULL_BRUSH));
        SelectObject(dc, pens[0].light);
        RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 2 * n, 2 * n);
        SelectObject(dc, pens[0].dark);
        RoundRect(dc, rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1, 2 * n, 2 * n);
        break;
    }
    }
    SelectObject(dc, oldPen);
    rect.right += 1;
    rect.bottom += 1;
}

HFONT createFont(int height, const char* face, bool bold, bool italic, bool underline, bool strikeOut,
                 BYTE pitchAndFamily, BYTE charSet) {
    return CreateFontA(height, 0, 0, 0, bold ? 700 : 0, italic, underline, strikeOut, charSet,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, pitchAndFamily, face);
}
