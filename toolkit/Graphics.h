// Colour arithmetic, rectangle helpers, bevel drawing and font creation used
// by every widget.  Colours are COLORREF values 0x00BBGGRR.
#pragma once

#include "foundation/Win32.h"

// One ring of a bevel: the pen for the lit edges (left, top) and the pen for
// the shaded ones (right, bottom).  Handles are borrowed from the pen cache.
struct BevelPen {
    HPEN light;
    HPEN dark;
};

// Lightens (f > 0) or darkens (f <= 0) red, green and blue independently:
// c + trunc((255 - c) * f), or c - trunc(c * |f|).  The high byte is 0.
COLORREF adjust(COLORREF colour, double f);

// Per channel a + trunc((b - a) * t).
COLORREF blend(COLORREF a, COLORREF b, double t);

void inflate(RECT& rect, int d);
void offset(RECT& rect, int dx, int dy);

// Places a box inside outer.  On entry `box` holds the width (x) and height
// (y); on return it holds the position.  Code 0xVH: V = 1 top, 2 bottom,
// 0 centred; H = 1 left, 2 right, 0 centred; any other nibble leaves that
// field as it was.
void align(const RECT& outer, unsigned code, POINT& box);

// Bevel styles of drawBevel.
namespace BevelStyle {
constexpr int none = 0;
constexpr int raisedEdge = 1;
constexpr int etched = 2;
constexpr int sunkenBevel = 3;
constexpr int raisedBevel = 4;
constexpr int sunkenEdge = 5;
}   // namespace BevelStyle

// Draws a bevel of `style` with n rings (styles 3 and 4) from `pens`, which
// holds n pairs for styles 3 and 4 and at least one pair otherwise.  For the
// ring styles 1, 3, 4 and 5 `rect` is left shrunk by the rings drawn, so the
// caller can paint inside it.  The DC's pen is restored.
void drawBevel(HDC dc, RECT& rect, int style, int n, const BevelPen* pens);

// CreateFontA with the toolkit's fixed choices (antialiased, default
// precision).  The caller owns the font and deletes it.
HFONT createFont(int height, const char* face, bool bold, bool italic, bool underline, bool strikeOut,
                 BYTE pitchAndFamily, BYTE charSet);
