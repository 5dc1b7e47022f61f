#include "toolkit/Button.h"

#include "toolkit/ApplicationContext.h"
#include "toolkit/PrivateMessages.h"
#include "toolkit/ScopedSelection.h"
#include "toolkit/TypeTags.h"

#include <algorithm>

namespace {

constexpr unsigned keyEnter = 13;
constexpr unsigned keySpace = 32;
// A glyph this large is a sentinel for "no glyph drawn", never a real size.
constexpr int maxGlyphSize = 0x10000000;

void line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

}   // namespace

Button::Button(const char* text, HWND parentWindow, int x, int y, int width, int height, DWORD style)
    : Panel(text, parentWindow, x, y, width, height, style, 0) {
    onToggle.clear();
    onClick.clear();
    onPress.clear();
    setTypeTag(TypeTag::button);
    setShowFocus(true);
    glyphColor_ = parent() ? static_cast<COLORREF>(parent()->textColor()) : 0;
    highlightColor_ = static_cast<COLORREF>(textColor());
}

Button::~Button() {
    if (glyphPen_) application().releasePen(glyphPen_);
    glyphPen_ = nullptr;
}

// ---- mouse and keyboard ----

void Button::mouseDown(unsigned keys, int x, int y) {
    Panel::mouseDown(keys, x, y);
    if (showPress_) pressed_ = true;
    if (style() & WS_TABSTOP) SetFocus(handle());
    updateLook();
    startTimer(repeatDelayTimer, repeatDelay);
    press();
}

void Button::mouseMove(unsigned keys, int x, int y) {
    Panel::mouseMove(keys, x, y);
    if (!(keys & MK_LBUTTON) || GetCapture() != handle()) return;
    RECT client;
    GetClientRect(handle(), &client);
    POINT point{x, y};
    if (!PtInRect(&client, point)) {
        pressed_ = false;
    } else {
        if (!pressed_) invalidate();
        pressed_ = showPress_;
    }
    updateLook();
}

void Button::mouseUp(unsigned keys, int x, int y) {
    Panel::mouseUp(keys, x, y);
    stopRepeat();
    if (pressed_) {
        pressed_ = false;
        toggleStep();
        // Raise the button before the click runs: a click action may take long.
        updateLook();
        click();
    } else {
        updateLook();
    }
}

void Button::timer(UINT_PTR id) {
    Panel::timer(id);
    if (id == repeatDelayTimer) {
        stopTimer(repeatDelayTimer);
        startTimer(repeatTimer, repeatInterval);
    }
    // Only the auto-repeat timers press; a timer the program runs on the
    // button for its own purposes must not.
    if (id == repeatDelayTimer || id == repeatTimer) press();
}

void Button::keyDown(unsigned vk, LPARAM flags) {
    Panel::keyDown(vk, flags);
    if (vk == keyEnter) {
        toggleStep();
        updateLook();
        click();
    } else if (vk == keySpace) {
        if (!pressed_) {
            pressed_ = showPress_;
            updateLook();
        }
        // Keyboard auto-repeat of Space repeats onPress.
        press();
    }
}

void Button::keyUp(unsigned vk, LPARAM flags) {
    Panel::keyUp(vk, flags);
    if (vk == keySpace && pressed_) {
        toggleStep();
        pressed_ = false;
        updateLook();
        click();
    }
}

// No click: the release never came here.  The button is drawn up again and
// stops repeating.
void Button::pressCancelled() {
    Panel::pressCancelled();
    stopRepeat();
    if (pressed_) {
        pressed_ = false;
        updateLook();
    }
}

void Button::stopRepeat() {
    stopTimer(repeatDelayTimer);
    stopTimer(repeatTimer);
}

// ---- state ----

void Button::updateLook() {
    const int wanted = (pressed_ || checked_) ? BevelStyle::sunkenBevel : BevelStyle::raisedBevel;
    if (bevelStyle() != wanted) setBevelStyle(wanted);
}

void Button::toggleStep() {
    if (group_ == 0) return;
    if (checked_) {
        if (groupCheck(false)) applyChecked(false);
    } else {
        applyChecked(true);
        groupCheck(true);
    }
}

void Button::applyChecked(bool on) {
    checked_ = on;
    updateLook();
    toggled();
    invalidate();
}

bool Button::groupCheck(bool checking) {
    Component* owner = parentComponent();
    if (!owner) return checking ? true : allowNone_;
    bool otherChecked = false;
    for (Component* c = owner->nextChild(nullptr, false); c; c = owner->nextChild(c, false)) {
        if (c == this || c->typeTag() != TypeTag::button) continue;
        Button* other = static_cast<Button*>(c);
        if (other->group_ != group_ || !other->checked_) continue;
        if (checking) {
            other->applyChecked(false);
        } else {
            otherChecked = true;
        }
    }
    return checking || allowNone_ || otherChecked;
}

bool Button::setChecked(bool on) {
    if (on == checked_) return true;
    if (group_ != 0) {
        if (on) {
            groupCheck(true);
        } else if (!groupCheck(false)) {
            return false;
        }
    }
    applyChecked(on);
    return true;
}

void Button::toggled() {
    if (linked_) linked_->enable(checked_);
    onToggle(this);
}

void Button::click() {
    // The modal run ends first, so that the click action finds the dialog's
    // result already decided.
    if (modalResult_ != 0) {
        if (Component* owner = parentComponent()) {
            SendMessageA(owner->handle(), PrivateMessage::endModal, static_cast<WPARAM>(modalResult_), 0);
        }
    }
    onClick(this);
}

void Button::press() { onPress(this); }

// ---- setters ----

void Button::setGlyph(Glyph type) {
    glyph_ = type;
    HPEN fresh = application().pen(glyphColor_);
    if (glyphPen_) application().releasePen(glyphPen_);
    glyphPen_ = fresh;
    if (type == checkBox) {
        setBevelDepth(1);
        setShowFocus(false);
    }
    invalidate();
}

void Button::setGlyphColor(COLORREF colour) {
    glyphColor_ = colour;
    if (glyphPen_) {
        HPEN fresh = application().pen(colour);
        application().releasePen(glyphPen_);
        glyphPen_ = fresh;
    }
    invalidate();
}

void Button::setGlyphAlign(unsigned code) {
    glyphAlign_ = code;
    invalidate();
}

void Button::setGlyphSize(int size) {
    glyphSize_ = size;
    invalidate();
}

void Button::setGlyphOffset(int x, int y) {
    glyphOffsetX_ = x;
    glyphOffsetY_ = y;
    invalidate();
}

void Button::setHighlightColor(COLORREF colour) {
    highlightColor_ = colour;
    invalidate();
}

void Button::setGroup(int group) {
    group_ = group;
    if (checked_) groupCheck(true);
}

void Button::setAllowNone(bool on) {
    allowNone_ = on;
    Component* owner = parentComponent();
    if (group_ == 0 || !owner) return;
    for (Component* c = owner->nextChild(nullptr, false); c; c = owner->nextChild(c, false)) {
        if (c != this && c->typeTag() == TypeTag::button && static_cast<Button*>(c)->group_ == group_) {
            static_cast<Button*>(c)->allowNone_ = on;
        }
    }
}

void Button::setShowPress(bool on) { showPress_ = on; }

void Button::setModalResult(int result) { modalResult_ = result; }

void Button::setLinked(Component* component) {
    linked_ = component;
    if (linked_) linked_->enable(checked_);
}

// ---- drawing ----

void Button::drawFocus(HDC dc, const RECT& rect) {
    RECT shifted = rect;
    if (pressed_ || checked_) offset(shifted, 1, 1);
    Panel::drawFocus(dc, shifted);
}

void Button::drawText(HDC dc, const RECT& rect, const char* text, int length) {
    RECT shifted = rect;
    if (pressed_ || checked_) offset(shifted, 1, 1);
    Panel::drawText(dc, shifted, text, length);
    drawGlyph(dc, shifted);
}

void Button::drawGlyph(HDC dc, const RECT& rect) {
    if (glyph_ == noGlyph) return;
    // Size 0: as large as the area inside the bevel, so the frame never
    // paints over the glyph.
    int s = glyphSize_;
    if (s == 0) s = std::min(rect.right - rect.left, rect.bottom - rect.top);
    if (s <= 0 || s >= maxGlyphSize) return;
    POINT at{s, s};
    align(rect, glyphAlign_, at);
    const int x = at.x + glyphOffsetX_;
    const int y = at.y + glyphOffsetY_;

    if (glyph_ == checkBox) {
        RECT box{x, y, x + s, y + s};
        UINT state = DFCS_BUTTONCHECK;
        if (checked_) state |= DFCS_CHECKED;
        if (pressed_) state |= DFCS_PUSHED;
        DrawFrameControl(dc, &box, DFC_BUTTON, state);
        return;
    }

    ApplicationContext& app = application();
    HPEN borrowed = nullptr;
    HPEN pen = glyphPen_;
    if (!isEnabled()) {
        pen = borrowed = app.pen(static_cast<COLORREF>(disabledTextColor()));
    } else if (checked_ || pressed_) {
        pen = borrowed = app.pen(highlightColor_);
    } else if (!pen) {
        pen = borrowed = app.pen(glyphColor_);
    }
    {
        ScopedSelection select(dc, pen);
        // LineTo leaves out its end point, so each row ends one past its last pixel.
        switch (glyph_) {
        case arrowDown:
            for (int i = 0; i < s; ++i) line(dc, x + i / 2, y + i, x + s - i / 2, y + i);
            break;
        case arrowUp:
            for (int i = 0; i < s; ++i) line(dc, x + i / 2, y + s - 1 - i, x + s - i / 2, y + s - 1 - i);
            break;
        case arrowLeft:
            for (int i = 0; i < (s + 1) / 2; ++i) {
                line(dc, x + s - 1 - 2 * i, y + i, x + s, y + i);
                line(dc, x + s - 1 - 2 * i, y + s - 1 - i, x + s, y + s - 1 - i);
            }
            break;
        case arrowRight:
            for (int i = 0; i < (s + 1) / 2; ++i) {
                line(dc, x, y + i, x + 2 * i + 1, y + i);
                line(dc, x, y + s - 1 - i, x + 2 * i + 1, y + s - 1 - i);
            }
            break;
        case bar:
            for (int i = 0; i < s / 3; ++i) line(dc, x, y + i, x + s, y + i);
            break;
        case cross:
            line(dc, x, y, x + s, y + s);
            line(dc, x + s - 1, y, x - 1, y + s);
            break;
        case square:
            for (int i = 0; i < s; ++i) line(dc, x, y + i, x + s, y + i);
            break;
        default:
            break;
        }
    }
    if (borrowed) app.releasePen(borrowed);
}
