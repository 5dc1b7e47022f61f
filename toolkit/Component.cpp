#include "toolkit/Component.h"

#include "toolkit/ApplicationContext.h"
#include "toolkit/PrivateMessages.h"
#include "toolkit/ScopedSelection.h"
#include "toolkit/TypeTags.h"
#include "toolkit/WindowDc.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

inline int signedLow(LPARAM value) { return static_cast<short>(LOWORD(value)); }
inline int signedHigh(LPARAM value) { return static_cast<short>(HIWORD(value)); }

}   // namespace

bool Component::shiftDown() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

Component::Component(const char* title, DWORD style, DWORD exStyle, int x, int y, int width, int height,
                     HWND parentWindow)
    : Window(title, style, exStyle, x, y, width, height, parentWindow) {
    setTypeTag(TypeTag::component);
    if (parentWindow && !(exStyle & WS_EX_NOPARENTNOTIFY)) disabled_ = !IsWindowEnabled(parentWindow);
    readGeometry();
    if (Component* p = parentComponent()) disabled_ = !p->isEnabled();
    cursor_ = nullptr;
    applyFontToWindow();
}

Component::~Component() {
    removeTooltip();
    releaseBackBuffer();
    doubleBuffered_ = false;
    // Each child's destructor unlinks it from the ring.
    while (Window* child = firstChild_) delete child;
}

Component* Component::parentComponent() const {
    Element* p = parent();
    if (!p) return nullptr;
    unsigned tag = p->typeTag();
    if (tag < TypeTag::first || tag > TypeTag::last || tag == TypeTag::window) return nullptr;
    return static_cast<Component*>(static_cast<Window*>(p));
}

Component* Component::fromHandle(HWND window) {
    Window* object = windowFromHandle(window);
    if (!object || object->typeTag() == TypeTag::window) return nullptr;
    return static_cast<Component*>(object);
}

// ---------------------------------------------------------------- children

void Component::addChild(Window* child) {
    if (!child) return;
    if (!firstChild_) {
        firstChild_ = child;
        child->setNext(child);
        child->setPrev(child);
    } else {
        Window* last = firstChild_->prevSibling();
        child->setNext(firstChild_);
        child->setPrev(last);
    }
    if (handle()) PostMessageA(handle(), PrivateMessage::childAdded, reinterpret_cast<WPARAM>(child), 0);
}

bool Component::hasChild(const Window* child) const {
    if (!child || !firstChild_) return false;
    const Window* c = firstChild_;
    do {
        if (c == child) return true;
        c = c->nextSibling();
    } while (c && c != firstChild_);
    return false;
}

void Component::removeChild(Window* child) {
    if (!hasChild(child)) return;
    Window* previous = child->prevSibling();
    Window* next = child->nextSibling();
    if (firstChild_ == child) firstChild_ = next;
    if (focusedChild_ == child) focusedChild_ = nullptr;
    if (firstChild_ == child) {
        firstChild_ = nullptr;   // it was the only child
    } else {
        previous->setNext(next);
    }
    child->setNext(nullptr);
    child->setPrev(nullptr);
}

Component* Component::firstChild() const { return static_cast<Component*>(firstChild_); }

Component* Component::nextChild(Component* after, bool backwards) {
    if (!firstChild_) return nullptr;
    if (!after) return static_cast<Component*>(backwards ? firstChild_->prevSibling() : firstChild_);
    if (after->parent() != this) return nullptr;
    if (backwards) {
        if (after == firstChild_) return nullptr;
        return static_cast<Component*>(after->prevSibling());
    }
    Window* next = after->nextSibling();
    if (!next || next == firstChild_) return nullptr;
    return static_cast<Component*>(next);
}

LRESULT Component::broadcast(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    // Collected first: a handler may delete children while we walk.
    std::vector<HWND> windows;
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false)) windows.push_back(c->handle());
    for (HWND w : windows)
        if (w) result = SendMessageA(w, message, wParam, lParam);
    return result;
}

// ---------------------------------------------------------------- style

void Component::invalidate() {
    if (handle()) InvalidateRect(handle(), nullptr, TRUE);
}

void Component::setFaceColor(int colour) {
    Element::setFaceColor(colour);
    invalidate();
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false))
        if (c->ownFaceColor() == inherited) c->setFaceColor(inherited);
}

void Component::setTextColor(int colour) {
    Element::setTextColor(colour);
    invalidate();
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false))
        if (c->ownTextColor() == inherited) c->setTextColor(inherited);
}

void Component::setDisabledTextColor(int colour) {
    Element::setDisabledTextColor(colour);
    if (!isEnabled()) invalidate();
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false))
        if (c->ownDisabledTextColor() == inherited) c->setDisabledTextColor(inherited);
}

void Component::setBevelDepth(int depth) {
    Element::setBevelDepth(depth);
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false))
        if (c->ownBevelDepth() == inherited) c->setBevelDepth(inherited);
    invalidate();
    layout();
}

void Component::setBaseColor(int colour) {
    Element::setBaseColor(colour);
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false))
        if (c->ownBaseColor() == inherited) c->setBaseColor(inherited);
    invalidate();
}

void Component::setRelief(int relief) {
    Element::setRelief(relief);
    invalidate();
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false))
        if (c->ownRelief() == inherited) c->setRelief(inherited);
}

void Component::applyFontToWindow() {
    if (!handle()) return;
    HFONT f = font();
    SendMessageA(handle(), WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
    WindowDc dc(handle());
    if (!dc) return;
    ScopedSelection selection(dc.get(), f);
    TEXTMETRICA metrics{};
    if (GetTextMetricsA(dc.get(), &metrics)) textHeight_ = metrics.tmHeight;
}

void Component::setFont(HFONT font) {
    Element::setFont(font);
    applyFontToWindow();
    invalidate();
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false))
        if (c->ownFont() == inheritedFont()) c->setFont(inheritedFont());
}

// ---------------------------------------------------------------- default operations

void Component::mouseDown(unsigned keys, int x, int y) { onMouseDown(this, keys, x, y); }
void Component::mouseUp(unsigned keys, int x, int y) { onMouseUp(this, keys, x, y); }
void Component::rightMouseDown(unsigned keys, int x, int y) { onMouseDown(this, keys, x, y); }
void Component::rightMouseUp(unsigned keys, int x, int y) { onMouseUp(this, keys, x, y); }
void Component::mouseMove(unsigned keys, int x, int y) { onMouseMove(this, keys, x, y); }

void Component::readGeometry() {
    HWND w = handle();
    if (!w) return;
    RECT client{};
    GetClientRect(w, &client);
    clientWidth_ = client.right - client.left;
    clientHeight_ = client.bottom - client.top;
    RECT outer{};
    GetWindowRect(w, &outer);
    POINT corner{outer.left, outer.top};
    // Child positions are in the parent's client coordinates (for a top-level
    // window GetParent yields the owner, whose client origin is wrong; only a
    // real parent of a child window counts).
    HWND nativeParent = (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr;
    if (nativeParent) ScreenToClient(nativeParent, &corner);
    x_ = corner.x;
    y_ = corner.y;
    width_ = outer.right - outer.left;
    height_ = outer.bottom - outer.top;
}

LRESULT Component::eraseBackground(HDC dc) {
    if (typeTag() == TypeTag::component) {
        RECT r{};
        GetClientRect(handle(), &r);
        FillRect(dc, &r, baseBrush());
        return 1;
    }
    return defaultProcessing(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
}

void Component::paint(HDC dc) { defaultProcessing(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0); }
void Component::timer(UINT_PTR id) { onTimer(this, id); }

void Component::keyDown(unsigned vk, LPARAM flags) { onKeyDown(this, vk, flags); }

void Component::keyUp(unsigned vk, LPARAM flags) { onKeyUp(this, vk, flags); }

void Component::character(unsigned* ch, LPARAM flags) {
    onChar(this, ch, flags);
    if (*ch == '\t') {
        HWND target = GetParent(handle());
        if (!target || !fromHandle(target)) target = handle();
        SendMessageA(target, PrivateMessage::moveFocus, shiftDown() ? 1 : 0,
                     reinterpret_cast<LPARAM>(handle()));
        *ch = 0;
    }
}

LRESULT Component::command(WPARAM) { return 0; }
LRESULT Component::notify(NMHDR*) { return 0; }
void Component::resized() { onResize(this); }
void Component::adjustGeometry(int*, int*, int*, int*) {}
void Component::moved() {}
void Component::doubleClick(int x, int y) { onDoubleClick(this, x, y); }
void Component::focusChanged(bool gained) { onFocus(this, gained); }
void Component::pressCancelled() {}
void Component::escapePressed() { onEscape(this); }
void Component::userRequest() { onUserRequest(this); }

void Component::wheel(DWORD packed, Component* source) {
    bool passOn = true;
    int notches = static_cast<short>(HIWORD(packed));
    onWheel(source, notches, LOWORD(packed), &passOn);
    if (passOn) {
        if (Component* p = parentComponent()) {
            // The source travels as its window handle, not as a pointer: the
            // posted message may arrive after the source is gone.
            PostMessageA(p->handle(), PrivateMessage::wheel, packed,
                         reinterpret_cast<LPARAM>(source ? source->handle() : nullptr));
        }
    }
}

void Component::contextMenu(int x, int y) {
    if (x == -1 && y == -1) {
        POINT p{};
        GetCursorPos(&p);
        x = p.x;
        y = p.y;
    }
    onContextMenu(this, x, y);
}

void Component::childAdded(Component*) {}
void Component::enabledChanged() {}

void Component::previewKey(Component* source, unsigned* vk, LPARAM flags) { onKeyPreview(source, vk, flags); }

void Component::setRedraw(bool on) {
    SendMessageA(handle(), WM_SETREDRAW, on ? TRUE : FALSE, 0);
    if (on)
        RedrawWindow(handle(), nullptr, nullptr, RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INTERNALPAINT);
}

void Component::clientRect(RECT* rect) { GetClientRect(handle(), rect); }

void Component::refresh() {
    invalidate();
    UpdateWindow(handle());
}

void Component::enable(bool on) { EnableWindow(handle(), on ? TRUE : FALSE); }

void Component::setCursor(HCURSOR cursor) { cursor_ = cursor; }

void Component::fitToChildren(int marginX, int marginY) {
    int right = 0, bottom = 0;
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false)) {
        if (c->x() + c->width() > right) right = c->x() + c->width();
        if (c->y() + c->height() > bottom) bottom = c->y() + c->height();
    }
    setClientSize(marginX + right, marginY + bottom);
}

void Component::setText(const String& text) { setText(text.c_str()); }

void Component::setText(const char* text) {
    invalidate();
    SendMessageA(handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}

String Component::text() {
    int length = textLength();
    if (length <= 0) return String();
    String result = String::reserved(length + 1);
    int copied = static_cast<int>(
        SendMessageA(handle(), WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(result.buffer())));
    if (copied < 0) copied = 0;
    if (copied > length) copied = length;
    result.buffer()[copied] = 0;
    return result.recomputeLength();
}

int Component::getText(char* buffer, int size) {
    return static_cast<int>(SendMessageA(handle(), WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer)));
}

int Component::textLength() { return static_cast<int>(SendMessageA(handle(), WM_GETTEXTLENGTH, 0, 0)); }

// ---------------------------------------------------------------- accessors

bool Component::isEnabled() const { return !disabled_ && IsWindowEnabled(handle()); }
bool Component::isVisible() const { return IsWindowVisible(handle()) != FALSE; }
DWORD Component::style() const { return static_cast<DWORD>(GetWindowLongA(handle(), GWL_STYLE)); }
void Component::setStyle(DWORD style) { SetWindowLongA(handle(), GWL_STYLE, static_cast<LONG>(style)); }
DWORD Component::exStyle() const { return static_cast<DWORD>(GetWindowLongA(handle(), GWL_EXSTYLE)); }

void Component::move(int x, int y) {
    SetWindowPos(handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Component::resize(int cx, int cy) {
    if (cx == -1) cx = width_;
    if (cy == -1) cy = height_;
    SetWindowPos(handle(), nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Component::setClientSize(int cx, int cy) {
    resize(cx + (width_ - clientWidth_), cy + (height_ - clientHeight_));
}

void Component::show(bool on) { ShowWindow(handle(), on ? SW_SHOW : SW_HIDE); }
void Component::startTimer(UINT_PTR id, UINT milliseconds) { SetTimer(handle(), id, milliseconds, nullptr); }
void Component::stopTimer(UINT_PTR id) { KillTimer(handle(), id); }

void Component::setDock(int mode) {
    dock_ = mode;
    if (Component* p = parentComponent()) p->layout();
}

bool Component::measureText(const char* text, SIZE* size) {
    WindowDc dc(handle());
    if (!dc || !text || !size) return false;
    ScopedSelection selection(dc.get(), font());
    return GetTextExtentPoint32A(dc.get(), text, static_cast<int>(strlen(text)), size) != FALSE;
}

Component* Component::topLevel() {
    Component* p = parentComponent();
    if (!p || (exStyle() & WS_EX_NOPARENTNOTIFY)) return this;
    return p->topLevel();
}

POINT Component::screenPosition() const {
    POINT p{x_, y_};
    HWND nativeParent = (GetWindowLongA(handle(), GWL_STYLE) & WS_CHILD) ? GetParent(handle()) : nullptr;
    if (nativeParent) ClientToScreen(nativeParent, &p);
    return p;
}

int Component::messageBox(const char* text, const char* caption, UINT flags) {
    String title = caption ? caption : "";
    if (title.isEmpty()) {
        String name = application().argument(0).fileNamePart();
        const char* s = name.c_str();
        const char* dot = strrchr(s, '.');
        title = dot ? String(s, static_cast<size_t>(dot - s)) : name;
    }
    return MessageBoxA(topLevel()->handle(), text ? text : "", title.c_str(), flags);
}

// ---------------------------------------------------------------- layout

void Component::layout() {
    // A child's size change asks its parent to lay out again; while a layout
    // of this component runs, that request is already being served.
    if (layingOut_) return;
    int count = 0;
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false))
        if (c->dock() != Dock::none) ++count;
    if (count == 0) return;
    layingOut_ = true;
    HDWP batch = BeginDeferWindowPos(count);
    RECT r{};
    clientRect(&r);
    auto place = [&batch](Component* c, int x, int y, int cx, int cy) {
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
        if (batch) batch = DeferWindowPos(batch, c->handle(), nullptr, x, y, cx, cy, flags);
        if (!batch) SetWindowPos(c->handle(), nullptr, x, y, cx, cy, flags);
    };
    auto visible = [](Component* c) { return (c->style() & WS_VISIBLE) != 0; };
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false)) {
        if (c->dock() == Dock::top) {
            place(c, r.left, r.top, r.right - r.left, c->height());
            if (visible(c)) r.top += c->height();
        } else if (c->dock() == Dock::bottom) {
            place(c, r.left, r.bottom - c->height(), r.right - r.left, c->height());
            if (visible(c)) r.bottom -= c->height();
        }
    }
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false)) {
        if (c->dock() == Dock::left) {
            place(c, r.left, r.top, c->width(), r.bottom - r.top);
            if (visible(c)) r.left += c->width();
        } else if (c->dock() == Dock::right) {
            place(c, r.right - c->width(), r.top, c->width(), r.bottom - r.top);
            if (visible(c)) r.right -= c->width();
        }
    }
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false)) {
        if (c->dock() == Dock::topInside) {
            place(c, r.left, r.top, r.right - r.left, c->height());
            if (visible(c)) r.top += c->height();
        } else if (c->dock() == Dock::bottomInside) {
            place(c, r.left, r.bottom - c->height(), r.right - r.left, c->height());
            if (visible(c)) r.bottom -= c->height();
        }
    }
    for (Component* c = nextChild(nullptr, false); c; c = nextChild(c, false)) {
        if (c->dock() == Dock::fill) place(c, r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    if (batch) EndDeferWindowPos(batch);
    layingOut_ = false;
}

// ---------------------------------------------------------------- focus

bool Component::takeFocus(bool backwards) {
    if (firstChild_) {
        Component* c = focusedChild_;
        if (c == this) c = nullptr;
        if (c && c->takeFocus(backwards)) return true;
        for (c = nextChild(c, backwards); c; c = nextChild(c, backwards))
            if (c->takeFocus(backwards)) return true;
    }
    if ((firstChild_ && !focusableContainer_) || !isVisible() || !isEnabled() || !(style() & WS_TABSTOP))
        return false;
    SetFocus(handle());
    focusChanged(true);
    return true;
}

void Component::setFocusTo() {
    // WM_SETFOCUS: a container hands the focus on to the child that had it
    // last, or to the next child that takes it.
    if (firstChild_) {
        if (focusedChild_ && focusedChild_ != this && focusedChild_->takeFocus(false)) return;
        Component* c = focusedChild_ == this ? nullptr : focusedChild_;
        do {
            c = nextChild(c, false);
            focusedChild_ = c;
        } while (c && !c->takeFocus(false));
        if (c) return;
    }
    SendMessageA(handle(), PrivateMessage::focusReport, reinterpret_cast<WPARAM>(handle()),
                 reinterpret_cast<LPARAM>(handle()));
}

void Component::focusReport(WPARAM wParam, LPARAM lParam) {
    Component* p = parentComponent();
    if (wParam) {
        Component* reporter = fromHandle(reinterpret_cast<HWND>(lParam));
        if (reporter && hasChild(reporter)) focusedChild_ = reporter;
        if (p)
            SendMessageA(p->handle(), PrivateMessage::focusReport, reinterpret_cast<WPARAM>(handle()),
                         reinterpret_cast<LPARAM>(handle()));
        focusChanged(true);
    } else {
        focusedChild_ = nullptr;
        if (p) SendMessageA(p->handle(), PrivateMessage::focusReport, 0, reinterpret_cast<LPARAM>(handle()));
        focusChanged(false);
    }
}

void Component::moveFocus(bool backwards) {
    Component* start = focusedChild_;
    if (start == this) start = nullptr;
    for (Component* c = nextChild(start, backwards); c; c = nextChild(c, backwards)) {
        if (c->takeFocus(backwards)) {
            focusedChild_ = c;
            return;
        }
    }
    Component* p = parentComponent();
    if (!(style() & WS_POPUP) && p) {
        SendMessageA(p->handle(), PrivateMessage::moveFocus, backwards ? 1 : 0,
                     reinterpret_cast<LPARAM>(handle()));
    } else if (start) {
        // Wrap round inside the top-level window: start again from the first
        // (or last) child.
        focusedChild_ = nullptr;
        SendMessageA(handle(), PrivateMessage::moveFocus, backwards ? 1 : 0,
                     reinterpret_cast<LPARAM>(handle()));
    }
}

// ---------------------------------------------------------------- painting

void Component::createBackBuffer(int width, int height) {
    {
        WindowDc screen(nullptr);
        bufferBitmap_.reset(
            CreateCompatibleBitmap(screen.get(), width > 0 ? width : 1, height > 0 ? height : 1));
        bufferDc_.reset(CreateCompatibleDC(screen.get()));
    }
    bufferDisplaced_ =
        bufferDc_ && bufferBitmap_ ? SelectObject(bufferDc_.get(), bufferBitmap_.get()) : nullptr;
}

void Component::releaseBackBuffer() {
    // The bitmap leaves the DC before it is deleted (DeleteObject refuses a
    // selected bitmap), and the DC goes last.
    if (bufferDc_ && bufferDisplaced_) SelectObject(bufferDc_.get(), bufferDisplaced_);
    bufferDisplaced_ = nullptr;
    bufferBitmap_.reset();
    bufferDc_.reset();
}

void Component::setDoubleBuffered(bool on) {
    if (on == doubleBuffered_) return;
    if (on) {
        createBackBuffer(clientWidth_, clientHeight_);
    } else {
        releaseBackBuffer();
    }
    doubleBuffered_ = on;
    invalidate();
}

LRESULT Component::paintMessage(WPARAM wParam, LPARAM) {
    HDC given = reinterpret_cast<HDC>(wParam);
    if (!doubleBuffered_ || given) {
        PAINTSTRUCT ps{};
        HDC dc = given ? given : BeginPaint(handle(), &ps);
        paint(dc);
        if (!given) EndPaint(handle(), &ps);
        return 0;
    }
    // Erase and paint into the back buffer through the normal handlers, then
    // copy it to the screen in one go: no flicker between the two.
    WindowDc dc(handle());
    SendMessageA(handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(bufferDc_.get()), 0);
    SendMessageA(handle(), WM_PAINT, reinterpret_cast<WPARAM>(bufferDc_.get()), 0);
    if (dc) {
        // The edit class has CS_PARENTDC: its DC carries the parent's clip
        // region, so WS_CLIPCHILDREN does not keep the copy off the child
        // windows (the scroll bar): they are cut out here.
        excludeChildWindows(dc.get());
        // The edit re-showed its caret on the screen while it painted into the
        // buffer; copying over it would leave the caret's XOR state wrong and
        // its next blink a ghost.  Hidden while the copy runs, then back.
        const BOOL caretHidden = HideCaret(handle());
        BitBlt(dc.get(), 0, 0, clientWidth_, clientHeight_, bufferDc_.get(), 0, 0, SRCCOPY);
        if (caretHidden) ShowCaret(handle());
    }
    ValidateRgn(handle(), nullptr);
    SelectClipRgn(bufferDc_.get(), nullptr);
    return 0;
}

void Component::excludeChildWindows(HDC dc) const {
    for (HWND child = GetWindow(handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT r;
        GetWindowRect(child, &r);
        // Screen to client coordinates, both corners at once.
        MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
}

// ---------------------------------------------------------------- dispatcher

LRESULT Component::sizeChanged(UINT message, WPARAM wParam, LPARAM lParam) {
    const int oldClientWidth = clientWidth_;
    const int oldClientHeight = clientHeight_;
    const int oldX = x_, oldY = y_;
    readGeometry();
    if (clientWidth_ != oldClientWidth || clientHeight_ != oldClientHeight) {
        layout();
        if (doubleBuffered_ && !(bufferWidth_ >= clientWidth_ && bufferHeight_ >= clientHeight_)) {
            releaseBackBuffer();
            createBackBuffer(clientWidth_, clientHeight_);
            bufferWidth_ = clientWidth_;
            bufferHeight_ = clientHeight_;
        }
        resized();
    }
    if (message == WM_WINDOWPOSCHANGED && (x_ != oldX || y_ != oldY)) moved();
    if (dock_ != Dock::none)
        if (Component* p = parentComponent()) p->layout();
    return defaultProcessing(message, wParam, lParam);
}

void Component::vetoGeometry(WINDOWPOS* pos) {
    if (!pos) return;
    if ((pos->flags & SWP_NOSIZE) && (pos->flags & SWP_NOMOVE)) return;
    if (pos->cx == width_ && pos->cy == height_ && pos->x == x_ && pos->y == y_) return;
    if (pos->flags & SWP_NOSIZE) {
        pos->cx = width_;
        pos->cy = height_;
    }
    if (pos->flags & SWP_NOMOVE) {
        pos->x = x_;
        pos->y = y_;
    }
    adjustGeometry(&pos->x, &pos->y, &pos->cx, &pos->cy);
}

LRESULT Component::colourControl(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    Component* c = fromHandle(control);
    if (!c) return defaultProcessing(message, wParam, lParam);
    // The selections stay in the control's DC on purpose: the control paints
    // with them after we return.  The brush is borrowed from the cache.
    if (HBRUSH b = c->faceBrush()) SelectObject(dc, b);
    if (HFONT f = c->font()) SelectObject(dc, f);
    SetTextColor(dc, static_cast<COLORREF>(c->isEnabled() ? c->textColor() : c->disabledTextColor()));
    SetBkColor(dc, static_cast<COLORREF>(c->faceColor()));
    return reinterpret_cast<LRESULT>(c->faceBrush());
}

void Component::detectDoubleClick(int x, int y) {
    DWORD now = GetTickCount();
    if (lastClickTime_ != 0 && now - lastClickTime_ <= GetDoubleClickTime() &&
        std::abs(x - lastClickX_) < GetSystemMetrics(SM_CXDOUBLECLK) &&
        std::abs(y - lastClickY_) < GetSystemMetrics(SM_CYDOUBLECLK))
        doubleClick(x, y);
    lastClickTime_ = GetTickCount();
    lastClickX_ = x;
    lastClickY_ = y;
}

LRESULT Component::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        return sizeChanged(message, wParam, lParam);
    case WM_WINDOWPOSCHANGING:
        vetoGeometry(reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case WM_ACTIVATE:
        SendMessageA(handle(), PrivateMessage::activation, wParam, reinterpret_cast<LPARAM>(handle()));
        break;
    case PrivateMessage::activation:
        active_ = wParam != 0;
        broadcast(PrivateMessage::activation, wParam, reinterpret_cast<LPARAM>(handle()));
        break;
    case WM_SETFOCUS:
        setFocusTo();
        break;
    case WM_KILLFOCUS:
        if (active_)
            SendMessageA(handle(), PrivateMessage::focusReport, 0, reinterpret_cast<LPARAM>(handle()));
        // A press held with the mouse or the Space key ends with the focus.
        if (GetCapture() == handle())
            ReleaseCapture();   // cancels through WM_CAPTURECHANGED
        else
            pressCancelled();
        break;
    case WM_CAPTURECHANGED:
        if (!releasingCapture_ && reinterpret_cast<HWND>(lParam) != handle()) pressCancelled();
        break;
    case WM_CANCELMODE:
        // Sent when a modal window or another program takes over the mouse.
        if (GetCapture() == handle()) ReleaseCapture();
        break;
    case WM_ENABLE:
        enabledChanged();
        if (typeTag() != TypeTag::component && isEnabled() == (wParam != 0))
            broadcast(PrivateMessage::enabledChanged, wParam, reinterpret_cast<LPARAM>(handle()));
        invalidate();
        break;
    case PrivateMessage::enabledChanged:
        disabled_ = wParam == 0;
        enabledChanged();
        if (isEnabled() == (wParam != 0))
            broadcast(PrivateMessage::enabledChanged, wParam, reinterpret_cast<LPARAM>(handle()));
        invalidate();
        break;
    case WM_PAINT:
        return paintMessage(wParam, lParam);
    case WM_ERASEBKGND:
        if (doubleBuffered_ && reinterpret_cast<HDC>(wParam) != bufferDc_.get()) return 1;
        return eraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_DESTROY:
        // Destroyed with its parent, the object learns of it only here, while
        // the handle that names its tool is still valid.
        removeTooltip();
        break;
    case WM_CLOSE:
        if (inModalLoop_) {
            modalResult_ = -1;
            return 0;
        }
        break;
    case WM_SHOWWINDOW:
        SendMessageA(handle(), PrivateMessage::shown, wParam, reinterpret_cast<LPARAM>(handle()));
        break;
    case PrivateMessage::shown:
        broadcast(PrivateMessage::shown, wParam, reinterpret_cast<LPARAM>(handle()));
        if (dock_ != Dock::none)
            if (Component* p = parentComponent()) p->layout();
        break;
    case WM_SETCURSOR:
        if (cursor_) {
            if (GetCursor() != cursor_) SetCursor(cursor_);
            return 1;
        }
        break;
    case WM_NOTIFY: {
        defaultProcessing(message, wParam, lParam);
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (!header || !header->hwndFrom) return 0;
        return SendMessageA(header->hwndFrom, PrivateMessage::notify, wParam, lParam);
    }
    case PrivateMessage::notify:
        return notify(reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        if (lParam)
            return SendMessageA(reinterpret_cast<HWND>(lParam), PrivateMessage::command, wParam, lParam);
        break;
    case PrivateMessage::command:
        return command(wParam);
    case WM_CONTEXTMENU:
        contextMenu(signedLow(lParam), signedHigh(lParam));
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        unsigned vk = static_cast<unsigned>(wParam);
        if (keyPreview_) topLevel()->previewKey(this, &vk, lParam);
        if (vk) keyDown(vk, lParam);
        // Default processing sees the key as the preview left it.
        return defaultProcessing(message, vk, lParam);
    }
    case WM_KEYUP:
        keyUp(static_cast<unsigned>(wParam), lParam);
        break;
    case WM_CHAR: {
        unsigned ch = static_cast<unsigned>(wParam);
        character(&ch, lParam);
        if (ch == 0) return 0;
        if (ch == 27) PostMessageA(handle(), PrivateMessage::escape, 0, 0);
        return defaultProcessing(message, ch, lParam);
    }
    case WM_TIMER:
        timer(wParam);
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return colourControl(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message, wParam,
                             lParam);
    case WM_MOUSEMOVE:
        mouseMove(static_cast<unsigned>(wParam), signedLow(lParam), signedHigh(lParam));
        break;
    case WM_LBUTTONDOWN:
        SetCapture(handle());
        mouseDown(static_cast<unsigned>(wParam), signedLow(lParam), signedHigh(lParam));
        break;
    case WM_LBUTTONUP:
        releasingCapture_ = true;
        ReleaseCapture();
        releasingCapture_ = false;
        mouseUp(static_cast<unsigned>(wParam), signedLow(lParam), signedHigh(lParam));
        detectDoubleClick(signedLow(lParam), signedHigh(lParam));
        break;
    case WM_RBUTTONDOWN:
        rightMouseDown(static_cast<unsigned>(wParam), signedLow(lParam), signedHigh(lParam));
        break;
    case WM_RBUTTONUP:
        rightMouseUp(static_cast<unsigned>(wParam), signedLow(lParam), signedHigh(lParam));
        break;
    case WM_MOUSEWHEEL: {
        // Whole notches of 120; a partial turn gives 0 but is still reported.
        int notches = static_cast<short>(HIWORD(wParam)) / WHEEL_DELTA;
        DWORD packed = LOWORD(wParam) | (static_cast<DWORD>(notches) << 16);
        wheel(packed, this);
        return 0;
    }
    case PrivateMessage::focusReport:
        focusReport(wParam, lParam);
        break;
    case PrivateMessage::moveFocus:
        moveFocus(wParam != 0);
        break;
    case PrivateMessage::escape:
    case PrivateMessage::userRequest:
        if (style() & WS_POPUP) {
            if (message == PrivateMessage::escape)
                escapePressed();
            else
                userRequest();
        } else if (HWND nativeParent = GetParent(handle())) {
            PostMessageA(nativeParent, message, 0, 0);
        }
        break;
    case PrivateMessage::wheel:
        // The source may have gone while the message waited in the queue.
        if (Component* source = fromHandle(reinterpret_cast<HWND>(lParam)))
            wheel(static_cast<DWORD>(wParam), source);
        break;
    case PrivateMessage::childAdded: {
        // Posted at construction: only a child still in the ring is reported.
        Window* child = reinterpret_cast<Window*>(wParam);
        if (hasChild(child) && child->typeTag() != TypeTag::window)
            childAdded(static_cast<Component*>(child));
        break;
    }
    case PrivateMessage::endModal:
        if (inModalLoop_) {
            endModal(static_cast<int>(wParam));
        } else if (Component* p = parentComponent()) {
            SendMessageA(p->handle(), PrivateMessage::endModal, wParam, 0);
        }
        break;
    default:
        break;
    }
    return defaultProcessing(message, wParam, lParam);
}

// ---------------------------------------------------------------- modal run

int Component::runModal(HWND owner) {
    modalResult_ = 0;
    inModalLoop_ = true;
    bool ownerWasEnabled = true;
    if (!owner) {
        if (Component* p = parentComponent()) {
            owner = p->handle();
            ownerWasEnabled = p->isEnabled();
            p->enable(false);
        }
    } else {
        ownerWasEnabled = IsWindowEnabled(owner) != FALSE;
        EnableWindow(owner, FALSE);
    }
    disabled_ = false;
    show(true);
    ApplicationContext& app = application();
    MSG message;
    while (modalResult_ == 0 && !app.quitRequested()) {
        BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to the application's loop: hand it back and end
            // the run as if the window were closed.
            PostQuitMessage(static_cast<int>(message.wParam));
            modalResult_ = -1;
            break;
        }
        if (got == -1) {
            modalResult_ = -1;
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (owner) {
        EnableWindow(owner, ownerWasEnabled ? TRUE : FALSE);
        SetForegroundWindow(owner);
    }
    show(false);
    inModalLoop_ = false;
    return modalResult_;
}

void Component::endModal(int result) {
    modalResult_ = result;
    PostMessageA(handle(), WM_NULL, 0, 0);
}
