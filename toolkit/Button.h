// Button: a Panel that can be pressed.  Clicks count only when the mouse is
// released over the button; while held, onPress repeats (auto-repeat, as for
// the arrows of a scroll bar).  A nonzero group turns it into a toggle button
// of a radio-style group; a modal result ends the surrounding modal run.
// Glyphs are simple vector shapes drawn in the glyph colour.
#pragma once

#include "toolkit/Callback.h"
#include "toolkit/Panel.h"

class Button : public Panel {
public:
    // Timer ids of the auto-repeat: the first delay, then the repeat rate.
    static constexpr UINT_PTR repeatDelayTimer = 234;
    static constexpr UINT_PTR repeatTimer = 235;
    static constexpr UINT repeatDelay = 500;
    static constexpr UINT repeatInterval = 50;

    // Glyph types for setGlyph().
    enum Glyph {
        noGlyph = 0,
        arrowDown = 1,
        arrowUp = 2,
        arrowLeft = 3,
        arrowRight = 4,
        bar = 5,
        cross = 6,
        checkBox = 7,
        square = 8
    };

    Button(const char* text, HWND parentWindow, int x, int y, int width, int height, DWORD style);
    ~Button() override;

    // --- Component behaviour ---
    void mouseDown(unsigned keys, int x, int y) override;
    void mouseUp(unsigned keys, int x, int y) override;
    void mouseMove(unsigned keys, int x, int y) override;
    void timer(UINT_PTR id) override;
    void keyDown(unsigned vk, LPARAM flags) override;
    void keyUp(unsigned vk, LPARAM flags) override;
    void pressCancelled() override;

    // --- Panel drawing: the text, glyph and focus frame shift while pressed ---
    void drawFocus(HDC dc, const RECT& rect) override;
    void drawText(HDC dc, const RECT& rect, const char* text, int length) override;

    // --- Button operations, in order ---
    virtual void drawGlyph(HDC dc, const RECT& rect);
    virtual void updateLook();
    // checking: uncheck the other buttons of the group.  Not checking:
    // whether this button may be unchecked (allowNone, or another is checked).
    virtual bool groupCheck(bool checking);
    virtual void toggled();
    virtual void click();
    virtual void press();

    void setGlyph(Glyph type);
    void setGlyphColor(COLORREF colour);
    void setGlyphAlign(unsigned code);
    void setGlyphSize(int size);   // 0: the smaller side of the area inside the bevel
    void setGlyphOffset(int x, int y);
    void setHighlightColor(COLORREF colour);
    void setGroup(int group);
    void setAllowNone(bool on);   // for the whole group
    void setShowPress(bool on);
    void setModalResult(int result);
    // The component's enabled state follows `checked` from now on.
    void setLinked(Component* component);
    // Returns false when a group refuses to lose its last checked button.
    bool setChecked(bool on);
    bool isChecked() const { return checked_; }
    bool isPressed() const { return pressed_; }

    Glyph glyph() const { return glyph_; }
    COLORREF glyphColor() const { return glyphColor_; }
    COLORREF highlightColor() const { return highlightColor_; }
    int group() const { return group_; }
    bool allowNone() const { return allowNone_; }
    bool showPress() const { return showPress_; }
    int modalResult() const { return modalResult_; }
    Component* linked() const { return linked_; }

    Callback<Button*> onToggle;
    Callback<Button*> onClick;
    Callback<Button*> onPress;

private:
    void toggleStep();
    void applyChecked(bool on);
    void stopRepeat();

    HPEN glyphPen_ = nullptr;
    bool checked_ = false;
    bool pressed_ = false;
    Glyph glyph_ = noGlyph;
    COLORREF glyphColor_ = 0;
    unsigned glyphAlign_ = 0;
    int glyphSize_ = 0;
    COLORREF highlightColor_ = 0;
    int group_ = 0;
    bool allowNone_ = false;
    bool showPress_ = true;
    int glyphOffsetX_ = 0;
    int glyphOffsetY_ = 0;
    int modalResult_ = 0;
    Component* linked_ = nullptr;
};
