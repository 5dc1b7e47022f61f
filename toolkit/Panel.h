// Panel: the toolkit's owner-painted surface.  It paints its background, an
// optional bitmap, its window text and a bevel frame itself, and serves as
// label, as container for other widgets and as the base of Button and
// ScrollBar.  Nothing of it is drawn by a native control.
#pragma once

#include "foundation/Win32.h"
#include "toolkit/Callback.h"
#include "toolkit/Component.h"
#include "toolkit/GdiObject.h"
#include "toolkit/MemoryDc.h"

class Panel : public Component {
public:
    // Stretches the bitmap over the area inside the bevel.
    static constexpr unsigned stretchBitmap = 0x33;

    Panel(const char* text, HWND parentWindow, int x, int y, int width, int height, DWORD style,
          DWORD exStyle = 0);
    ~Panel() override;

    // All painting happens in paint(); erasing would only make it flicker.
    LRESULT eraseBackground(HDC dc) override;
    void paint(HDC dc) override;
    // The area inside the bevel: children are laid out there.
    void clientRect(RECT* rect) override;

    // --- Panel operations, in order ---
    virtual void drawFocus(HDC dc, const RECT& rect);
    virtual void drawFrame(HDC dc, const RECT& rect);
    virtual void fillBackground(HDC dc, const RECT& rect);
    virtual void drawBitmap(HDC dc, const RECT& rect);
    virtual void drawText(HDC dc, const RECT& rect, const char* text, int length);

    // Setters repaint.  Bevel styles are those of drawBevel (BevelStyle);
    // the scroll bar overrides the bevel setter to re-lay out its thumb.
    virtual void setBevelStyle(int style);
    void setTextAlign(unsigned code);
    void setBitmapAlign(unsigned code);
    void setShowFocus(bool on);
    void setSunkenFace(bool on);
    void setHalfSizeBitmap(bool on);

    int bevelStyle() const { return bevelStyle_; }
    unsigned textAlign() const { return textAlign_; }
    unsigned bitmapAlign() const { return bitmapAlign_; }
    bool showFocus() const { return showFocus_; }
    bool sunkenFace() const { return sunkenFace_; }
    bool halfSizeBitmap() const { return halfSizeBitmap_; }
    // Size of the text measured by the last drawText.
    SIZE measuredText() const { return measuredText_; }

    // Loads a bitmap resource (instance null: the application's).  The
    // disabled look is derived from it: the transparent colour (top-left
    // pixel) becomes black, everything else the disabled text colour.
    // A null instance, or applicationInstance(), means the program's own.
    bool loadBitmap(const char* name, HINSTANCE instance = applicationInstance());
    // A disabled bitmap of its own, replacing the derived one.
    bool loadDisabledBitmap(const char* name, HINSTANCE instance = applicationInstance());
    static HINSTANCE applicationInstance() { return reinterpret_cast<HINSTANCE>(-1); }
    // Takes ownership of a bitmap made by the program (tests, generated art).
    bool setBitmap(HBITMAP bitmap);
    HBITMAP bitmap() const { return bitmap_.get(); }
    HBITMAP disabledBitmap() const { return disabledBitmap_.get(); }

    // Resizes the panel to its text plus the frame.
    void fitToText();

    // Replaces the background fill when bound: (panel, dc, area inside the bevel).
    Callback<Panel*, HDC, const RECT&> onPaintBackground;

protected:
    // The focus frame is painted from GetFocus() at paint time, so a panel
    // repaints when it gains or loses the focus; otherwise the button that
    // lost it keeps showing the old dotted frame.
    void focusChanged(bool gained) override;

    // DrawTextA flags for the horizontal part of textAlign.
    UINT horizontalTextFlags() const;

private:
    void releaseBitmaps();
    void deriveDisabledBitmap();
    BITMAP bitmapInfo() const;

    int bevelStyle_ = BevelStyle::raisedBevel;
    unsigned textAlign_ = 0;
    unsigned bitmapAlign_ = 0;
    bool showFocus_ = false;
    // Owned; releaseBitmaps() takes them apart in the order GDI needs.
    ScopedBitmap bitmap_;
    ScopedBitmap disabledBitmap_;
    HGDIOBJ displacedBitmap_ = nullptr;   // the DC's stock bitmap, not ours
    MemoryDc bitmapDc_;
    bool sunkenFace_ = true;
    SIZE measuredText_{0, 0};
    bool halfSizeBitmap_ = true;
};
