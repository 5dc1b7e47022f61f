// ScrollBar: the toolkit's own scroll bar, built from toolkit parts: the
// panel itself is the sunken track, two arrow Buttons step and a Button
// serves as thumb.  Values are 64-bit, so it can scroll through anything
// from a text's lines to a file's bytes.  Every position change made by the
// user or by setPosition() is reported through onScroll.
#pragma once

#include "toolkit/Button.h"
#include "toolkit/Callback.h"
#include "toolkit/Panel.h"

#include <cstdint>

class ScrollBar : public Panel {
public:
    // Timer of track paging while the mouse is held on the track.
    static constexpr UINT_PTR pagingTimer = 123;
    static constexpr UINT pagingDelay = 500;
    static constexpr UINT pagingInterval = 100;

    ScrollBar(HWND parentWindow, bool vertical, int x, int y, int width, int height, int dock);
    ~ScrollBar() override;

    // --- Component behaviour ---
    void mouseDown(unsigned keys, int x, int y) override;
    void mouseUp(unsigned keys, int x, int y) override;
    void mouseMove(unsigned keys, int x, int y) override;
    void timer(UINT_PTR id) override;
    void pressCancelled() override;
    // The arrows' glyphs follow the text colour.
    void setTextColor(int colour) override;
    void setBevelDepth(int depth) override;
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // --- ScrollBar operations, in order ---
    virtual void scrolled();
    // Stores a clamped state without calling onScroll.
    virtual void setState(int64_t minimum, int64_t maximum, int64_t page, int64_t position);
    virtual void setSunkenFace(bool on);   // track, arrows and thumb
    void setBevelStyle(int style) override;
    // Clamps to [minimum, maximum - page]; onScroll only when it changed.
    virtual void setPosition(int64_t value);
    virtual void setPage(int64_t value);

    void setStep(int64_t value) { step_ = value; }
    void setMinThumbLength(int pixels);
    void setThumbTabStop(bool on);

    bool isVertical() const { return vertical_; }
    int64_t minimum() const { return minimum_; }
    int64_t maximum() const { return maximum_; }
    int64_t page() const { return page_; }
    int64_t position() const { return position_; }
    int64_t step() const { return step_; }
    Button* decButton() const { return decButton_; }
    Button* incButton() const { return incButton_; }
    Button* thumb() const { return thumb_; }

    // Places the arrows and sizes and places the thumb for the current state.
    void layoutThumb();

    Callback<ScrollBar*> onScroll;

private:
    void arrowStep(Button* arrow);
    void thumbMouseDown(Component* thumb, unsigned keys, int x, int y);
    void thumbMouseMove(Component* thumb, unsigned keys, int x, int y);
    void thumbKeyDown(Component* thumb, unsigned vk, LPARAM flags);
    void focusAfterInput();
    void pageTowardClick();
    int alongAxis(int x, int y) const { return vertical_ ? y : x; }
    int lengthOf(const Component* c) const { return vertical_ ? c->height() : c->width(); }

    bool vertical_;
    int64_t minimum_ = 0;
    int64_t maximum_ = 100;
    int64_t page_ = 10;
    int64_t position_ = 0;
    int grabX_ = 0;
    int grabY_ = 0;
    Button* decButton_ = nullptr;
    Button* incButton_ = nullptr;
    Button* thumb_ = nullptr;
    int clickX_ = 0;
    int clickY_ = 0;
    int64_t step_ = 1;
    int minThumbLength_ = 0;
};
