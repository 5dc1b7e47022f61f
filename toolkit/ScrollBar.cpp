#include "toolkit/ScrollBar.h"

#include "toolkit/PrivateMessages.h"
#include "toolkit/TypeTags.h"

#include <algorithm>

namespace {

constexpr DWORD trackStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP;
constexpr DWORD arrowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr int arrowBevelDepth = 2;
constexpr DWORD thumbStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;

int smallerSide(const RECT& r) { return std::min(r.right - r.left, r.bottom - r.top); }

}   // namespace

ScrollBar::ScrollBar(HWND parentWindow, bool vertical, int x, int y, int width, int height, int dock)
    : Panel("", parentWindow, x, y, width, height, trackStyle, 0), vertical_(vertical) {
    onScroll.clear();
    setTypeTag(TypeTag::scrollBar);
    step_ = 1;
    minThumbLength_ = 0;

    RECT inner;
    clientRect(&inner);
    const int f = std::max(0, smallerSide(inner));
    if (vertical_) {
        decButton_ = new Button("", handle(), inner.left, inner.top, f, f, arrowStyle);
        decButton_->setDock(Dock::topInside);
        decButton_->setGlyph(Button::arrowUp);
        incButton_ = new Button("", handle(), inner.left, inner.bottom - f, f, f, arrowStyle);
        incButton_->setDock(Dock::bottomInside);
        incButton_->setGlyph(Button::arrowDown);
        thumb_ = new Button("", handle(), inner.left, inner.top + f, f, f, thumbStyle);
    } else {
        decButton_ = new Button("", handle(), inner.left, inner.top, f, f, arrowStyle);
        decButton_->setDock(Dock::left);
        decButton_->setGlyph(Button::arrowLeft);
        incButton_ = new Button("", handle(), inner.right - f, inner.top, f, f, arrowStyle);
        incButton_->setDock(Dock::right);
        incButton_->setGlyph(Button::arrowRight);
        thumb_ = new Button("", handle(), inner.left + f, inner.top, f, f, thumbStyle);
    }
    decButton_->setShowFocus(false);
    incButton_->setShowFocus(false);
    // Three bevel rings leave 4 pixels of a 16-pixel bar's arrow for the
    // glyph: up and down look alike there.  Two rings leave a readable one.
    decButton_->setBevelDepth(arrowBevelDepth);
    incButton_->setBevelDepth(arrowBevelDepth);
    thumb_->setShowPress(false);
    decButton_->onPress.bind(this, &ScrollBar::arrowStep);
    incButton_->onPress.bind(this, &ScrollBar::arrowStep);
    thumb_->onMouseDown.bind(this, &ScrollBar::thumbMouseDown);
    thumb_->onMouseMove.bind(this, &ScrollBar::thumbMouseMove);
    thumb_->onKeyDown.bind(this, &ScrollBar::thumbKeyDown);

    setState(0, 100, 10, 0);
    setDock(dock);
    setBevelStyle(BevelStyle::sunkenBevel);
}

ScrollBar::~ScrollBar() {
    // The buttons are children: the Component teardown deletes them.
    stopTimer(pagingTimer);
}

// ---- state ----

void ScrollBar::setState(int64_t minimum, int64_t maximum, int64_t page, int64_t position) {
    if (maximum < minimum) maximum = minimum;
    const int64_t range = maximum - minimum;
    if (page > range) page = range;
    // A negative page would make the thumb offset run past the track.
    if (page < 0) page = 0;
    if (position > maximum - page) position = maximum - page;
    if (position < minimum) position = minimum;
    minimum_ = minimum;
    maximum_ = maximum;
    page_ = page;
    position_ = position;
    layoutThumb();
}

void ScrollBar::setPosition(int64_t value) {
    if (value > maximum_ - page_) value = maximum_ - page_;
    if (value < minimum_) value = minimum_;
    if (value == position_) return;
    position_ = value;
    layoutThumb();
    scrolled();
}

void ScrollBar::setPage(int64_t value) {
    const int64_t range = maximum_ - minimum_;
    if (value > range) value = range;
    if (value < 0) value = 0;
    page_ = value;
    if (position_ + page_ <= maximum_) {
        layoutThumb();
    } else {
        setPosition(maximum_ - page_);
    }
}

void ScrollBar::scrolled() { onScroll(this); }

void ScrollBar::setMinThumbLength(int pixels) {
    minThumbLength_ = pixels;
    layoutThumb();
}

void ScrollBar::setThumbTabStop(bool on) {
    if (!thumb_) return;
    DWORD s = thumb_->style();
    thumb_->setStyle(on ? (s | WS_TABSTOP) : (s & ~static_cast<DWORD>(WS_TABSTOP)));
}

void ScrollBar::setSunkenFace(bool on) {
    Panel::setSunkenFace(on);
    if (decButton_) decButton_->setSunkenFace(on);
    if (incButton_) incButton_->setSunkenFace(on);
    if (thumb_) thumb_->setSunkenFace(on);
}

void ScrollBar::setBevelStyle(int style) {
    Panel::setBevelStyle(style);
    // The inner rectangle changed with the frame: the arrows are docked in
    // it, the thumb follows.
    layout();
    layoutThumb();
}

void ScrollBar::setBevelDepth(int depth) {
    Panel::setBevelDepth(depth);
    layout();
    layoutThumb();
}

void ScrollBar::setTextColor(int colour) {
    Panel::setTextColor(colour);
    const COLORREF resolved = static_cast<COLORREF>(textColor());
    for (Button* arrow : {decButton_, incButton_}) {
        if (!arrow) continue;
        arrow->setGlyphColor(resolved);
        arrow->setHighlightColor(resolved);
    }
}

// ---- layout ----

void ScrollBar::layoutThumb() {
    if (!decButton_ || !incButton_ || !thumb_) return;
    RECT inner;
    clientRect(&inner);
    const int f = std::max(0, smallerSide(inner));
    const int64_t range = maximum_ - minimum_;

    if (decButton_->width() != f || decButton_->height() != f) decButton_->resize(f, f);
    if (incButton_->width() != f || incButton_->height() != f) incButton_->resize(f, f);
    if (vertical_) {
        if (thumb_->width() != f) thumb_->resize(f, -1);
    } else {
        if (thumb_->height() != f) thumb_->resize(-1, f);
    }

    // The thumb's own WS_VISIBLE bit, not IsWindowVisible: the scroll bar must
    // keep its state right while its window or an ancestor is hidden.
    const bool thumbShown = (thumb_->style() & WS_VISIBLE) != 0;
    if (page_ == range || !isEnabled()) {
        if (thumbShown) thumb_->show(false);
        decButton_->enable(false);
        incButton_->enable(false);
        return;
    }
    decButton_->enable(true);
    incButton_->enable(true);
    if (!thumbShown) thumb_->show(true);

    const int start = vertical_ ? inner.top : inner.left;
    const int across = vertical_ ? inner.left : inner.top;
    const int axisLength = vertical_ ? inner.bottom - inner.top : inner.right - inner.left;
    const int decLength = lengthOf(decButton_);
    const int track = axisLength - decLength - lengthOf(incButton_);

    int64_t length = range > 0 ? static_cast<int64_t>(track) * page_ / range : 0;
    length = std::max<int64_t>(length, 2 * bevelDepth());
    length = std::max<int64_t>(length, minThumbLength_);
    // Never longer than the track itself, or the thumb would cover the arrows.
    length = std::min<int64_t>(length, std::max(track, 0));
    const int thumbLength = static_cast<int>(length);
    if (lengthOf(thumb_) != thumbLength) {
        if (vertical_)
            thumb_->resize(-1, thumbLength);
        else
            thumb_->resize(thumbLength, -1);
    }

    const int64_t scrollable = range - page_;
    int64_t offset = scrollable > 0 ? (track - thumbLength) * (position_ - minimum_) / scrollable : 0;
    offset += decLength + start;
    const int wantX = vertical_ ? across : static_cast<int>(offset);
    const int wantY = vertical_ ? static_cast<int>(offset) : across;
    if (thumb_->x() != wantX || thumb_->y() != wantY) thumb_->move(wantX, wantY);
}

LRESULT ScrollBar::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = Panel::handleMessage(message, wParam, lParam);
    if (message == WM_SIZE || message == WM_ENABLE || message == PrivateMessage::enabledChanged) {
        layoutThumb();
    }
    return result;
}

// ---- arrows and track ----

void ScrollBar::focusAfterInput() {
    if (thumb_ && (thumb_->style() & WS_TABSTOP)) {
        SetFocus(thumb_->handle());
    } else if (Component* owner = parentComponent()) {
        owner->takeFocus(false);
    }
}

void ScrollBar::arrowStep(Button* arrow) {
    if (arrow == decButton_)
        setPosition(position_ - step_);
    else if (arrow == incButton_)
        setPosition(position_ + step_);
    focusAfterInput();
}

void ScrollBar::pageTowardClick() {
    if (!thumb_ || !(thumb_->style() & WS_VISIBLE)) return;
    const int click = alongAxis(clickX_, clickY_);
    const int thumbStart = vertical_ ? thumb_->y() : thumb_->x();
    const int thumbEnd = thumbStart + lengthOf(thumb_);
    if (click < thumbStart)
        setPosition(position_ - page_);
    else if (click >= thumbEnd)
        setPosition(position_ + page_);
}

void ScrollBar::mouseDown(unsigned keys, int x, int y) {
    Panel::mouseDown(keys, x, y);
    focusAfterInput();
    clickX_ = x;
    clickY_ = y;
    startTimer(pagingTimer, pagingDelay);
    pageTowardClick();
}

void ScrollBar::mouseUp(unsigned keys, int x, int y) {
    Panel::mouseUp(keys, x, y);
    stopTimer(pagingTimer);
}

void ScrollBar::mouseMove(unsigned keys, int x, int y) {
    Panel::mouseMove(keys, x, y);
    if (keys & MK_LBUTTON) {
        // Paging stops once the thumb has reached the pointer.
        clickX_ = x;
        clickY_ = y;
    }
}

// Paging toward a held click stops when the press is cancelled.
void ScrollBar::pressCancelled() {
    Panel::pressCancelled();
    stopTimer(pagingTimer);
}

void ScrollBar::timer(UINT_PTR id) {
    Panel::timer(id);
    if (id != pagingTimer) return;
    stopTimer(pagingTimer);
    // Capture lost (button released elsewhere, another window took it):
    // the paging is over.
    if (GetCapture() != handle()) return;
    startTimer(pagingTimer, pagingInterval);
    pageTowardClick();
}

// ---- thumb ----

void ScrollBar::thumbMouseDown(Component*, unsigned, int x, int y) {
    grabX_ = x;
    grabY_ = y;
}

void ScrollBar::thumbMouseMove(Component*, unsigned keys, int x, int y) {
    if (!(keys & MK_LBUTTON)) {
        grabX_ = x;
        grabY_ = y;
        return;
    }
    RECT inner;
    clientRect(&inner);
    const int axisLength = vertical_ ? inner.bottom - inner.top : inner.right - inner.left;
    const int64_t d = vertical_ ? y - grabY_ : x - grabX_;
    int64_t span = axisLength - lengthOf(decButton_) - lengthOf(incButton_) - lengthOf(thumb_);
    if (span <= 0) span = 1;
    int64_t delta = d * (maximum_ - minimum_ - page_) / span;
    // Moves come in whole steps.  The grain is the step's low word; a step
    // whose low word is 0 would divide by zero, so it counts as 1.  The
    // magnitude rounds up in both directions, so dragging up is as
    // responsive as dragging down.
    int64_t s = static_cast<int16_t>(step_ & 0xFFFF);
    if (s < 0) s = -s;
    if (s == 0) s = 1;
    const bool negative = delta < 0;
    int64_t magnitude = negative ? -delta : delta;
    magnitude = (magnitude + s - 1) / s * s;
    delta = negative ? -magnitude : magnitude;
    if (step_ < 0) delta = -delta;
    if (delta != 0) setPosition(position_ + delta);
}

void ScrollBar::thumbKeyDown(Component*, unsigned vk, LPARAM) {
    switch (vk) {
    case VK_LEFT:
    case VK_UP:
        setPosition(position_ - 1);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        setPosition(position_ + 1);
        break;
    case VK_NEXT:
        setPosition(position_ + page_);
        break;
    case VK_PRIOR:
        setPosition(position_ - page_);
        break;
    default:
        break;
    }
}
