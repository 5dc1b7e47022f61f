#include "toolkit/Memo.h"

#include "toolkit/ApplicationContext.h"
#include "toolkit/ScopedSelection.h"
#include "toolkit/ScrollBar.h"
#include "toolkit/TypeTags.h"
#include "toolkit/WindowDc.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int scrollBarWidth = 16;
constexpr int scrollBarHeight = 40;
constexpr int wheelDelta = 120;

}   // namespace

Memo::Memo(HWND parentWindow, int x, int y, int width, int height, DWORD style)
    : Component("", WS_CHILD, 0, 0, 0, 0, 0, parentWindow) {
    onChange.clear();
    setTypeTag(TypeTag::memo);
    scrollBar_ = nullptr;

    // The EDIT is created hidden and shown only once the toolkit owns its
    // procedure and its frame has been recomputed.
    HWND edit = CreateWindowExA(0, "EDIT", "", style & ~static_cast<DWORD>(WS_VISIBLE), x, y, width, height,
                                parentWindow, nullptr, application().instance(), nullptr);
    if (edit) attachNative(edit);
    readGeometry();
    // The bevel takes the place of the native border: as many rings as the
    // border is wide (no border still gives one ring).
    setBevelDepth((this->height() - clientHeight()) / 2);
    SetWindowPos(handle(), nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(handle(), SW_SHOW);
    setFont(font());
}

Memo::~Memo() {
    delete scrollBar_;
    scrollBar_ = nullptr;
}

// ---- Component behaviour ----

void Memo::setFont(HFONT font) {
    Component::setFont(font);
    // The edit control resets its margins whenever the font changes.
    if (scrollBar_) setRightMargin(scrollBar_->width());
}

void Memo::setText(const char* text) {
    Component::setText(text);
    // WM_SETTEXT does not reliably notify; an EN_VSCROLL to ourselves
    // brings the scroll bar up to date.
    SendMessageA(handle(), WM_COMMAND, MAKEWPARAM(0, EN_VSCROLL), reinterpret_cast<LPARAM>(handle()));
}

LRESULT Memo::command(WPARAM wParam) {
    switch (HIWORD(wParam)) {
    case EN_CHANGE:
        changed();
        synchroniseScrollBar();
        break;
    case EN_VSCROLL:
        synchroniseScrollBar();
        break;
    default:
        break;
    }
    return 0;
}

LRESULT Memo::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: {
        LRESULT result = Component::handleMessage(message, wParam, lParam);
        command(MAKEWPARAM(0, EN_VSCROLL));
        return result;
    }
    case WM_NCPAINT:
        // The bevel replaces the native frame; the native scroll bars are
        // never shown, so nothing else of the non-client area needs painting.
        drawBorder();
        return 0;
    case WM_MOUSEWHEEL:
        wheelTurned(static_cast<short>(HIWORD(wParam)));
        return Component::handleMessage(message, wParam, lParam);
    default:
        return Component::handleMessage(message, wParam, lParam);
    }
}

// ---- wheel ----

int Memo::wheelScrollLines() {
    UINT lines = 0;
    if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) return 3;
    return lines == WHEEL_PAGESCROLL ? -1 : static_cast<int>(lines);
}

void Memo::wheelTurned(int delta) {
    // A turn the other way starts afresh rather than first paying off what
    // the last direction left over.
    if ((delta > 0) != (wheelRemainder_ > 0)) wheelRemainder_ = 0;
    wheelRemainder_ += delta;
    const int notches = wheelRemainder_ / wheelDelta;
    wheelRemainder_ -= notches * wheelDelta;
    if (notches == 0) return;
    const int lines = wheelScrollLines();
    if (lines < 0) {
        for (int i = 0; i < (notches < 0 ? -notches : notches); ++i)
            SendMessageA(handle(), EM_SCROLL, notches > 0 ? SB_PAGEUP : SB_PAGEDOWN, 0);
    } else {
        SendMessageA(handle(), EM_LINESCROLL, 0, -notches * lines);
    }
    synchroniseScrollBar();
}

// ---- border and scroll bar ----

HPEN Memo::bevelPen(int ring, bool dark) const {
    int count = 0;
    const BevelPen* pens = bevelPens(&count);
    if (!pens || ring < 0 || ring >= count) return nullptr;
    return dark ? pens[ring].dark : pens[ring].light;
}

void Memo::drawBorder() {
    WindowDc windowDc(handle(), WindowDc::wholeWindow);
    if (!windowDc) return;
    const HDC dc = windowDc.get();
    RECT window;
    GetWindowRect(handle(), &window);
    RECT r{0, 0, window.right - window.left - 1, window.bottom - window.top - 1};
    ScopedSelection pen(dc, nullptr);   // each select below; the original pen back at the end
    // Unlike a sunken panel the strongest shading is the outermost ring,
    // which reads as a deep well around the text.
    const int depth = bevelDepth();
    for (int i = 0; i < depth; ++i) {
        HPEN dark = bevelPen(i, true);
        HPEN light = bevelPen(i, false);
        if (dark && light) {
            POINT shaded[3] = {{r.left, r.bottom}, {r.left, r.top}, {r.right, r.top}};
            POINT lit[3] = {{r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
            pen.select(dark);
            Polyline(dc, shaded, 3);
            pen.select(light);
            Polyline(dc, lit, 3);
        }
        inflate(r, -1);
    }
}

void Memo::changed() { onChange(this); }

ScrollBar* Memo::scrollBar() const { return scrollBar_; }

void Memo::setScrollBar(bool on, int colour) {
    if (on && scrollBar_) {
        scrollBar_->setTextColor(colour);
        return;
    }
    if (on) {
        scrollBar_ = new ScrollBar(handle(), true, 0, 0, scrollBarWidth, scrollBarHeight, Dock::right);
        scrollBar_->setSunkenFace(false);
        scrollBar_->setStyle(scrollBar_->style() & ~static_cast<DWORD>(WS_TABSTOP));
        setRightMargin(scrollBar_->width());
        scrollBar_->setThumbTabStop(false);
        scrollBar_->setTextColor(colour);
        scrollBar_->onScroll.bind(this, &Memo::scrollTo);
        command(MAKEWPARAM(0, EN_CHANGE));
        // The scroll bar is a child now; the memo must still take the focus itself.
        setFocusableContainer(true);
        return;
    }
    if (scrollBar_) {
        delete scrollBar_;
        scrollBar_ = nullptr;
    }
    setRightMargin(0);
    setFocusableContainer(false);
}

void Memo::synchroniseScrollBar() {
    if (!scrollBar_) return;
    const int lines = lineCount();
    const int first = static_cast<int>(SendMessageA(handle(), EM_GETFIRSTVISIBLELINE, 0, 0));
    RECT format{0, 0, 0, 0};
    SendMessageA(handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int lineHeight = textHeight();
    const int visible = lineHeight > 0 ? (format.bottom - format.top) / lineHeight : lines;
    const int page = std::min(lines, visible);
    scrollBar_->setState(0, lines, page, first);
}

void Memo::scrollTo(ScrollBar* bar) {
    const int first = static_cast<int>(SendMessageA(handle(), EM_GETFIRSTVISIBLELINE, 0, 0));
    SendMessageA(handle(), EM_LINESCROLL, 0, static_cast<LPARAM>(bar->position() - first));
}

// ---- lines ----

int Memo::lineCount() { return static_cast<int>(SendMessageA(handle(), EM_GETLINECOUNT, 0, 0)); }

int Memo::lineIndex(int line) {
    return static_cast<int>(SendMessageA(handle(), EM_LINEINDEX, static_cast<WPARAM>(line), 0));
}

int Memo::lineLength(int line) {
    const int index = lineIndex(line);
    if (index < 0) return 0;
    return static_cast<int>(SendMessageA(handle(), EM_LINELENGTH, static_cast<WPARAM>(index), 0));
}

String Memo::line(int line) {
    const int size = std::max(lineLength(line), 2) + 1;
    std::vector<char> buffer(static_cast<size_t>(size));
    const int count = getLine(line, buffer.data(), size);
    return String(buffer.data(), static_cast<size_t>(count));
}

int Memo::getLine(int line, char* buffer, int size) {
    if (!buffer || size < 2) return 0;
    // EM_GETLINE reads the capacity from the buffer's first word and does not
    // terminate the text; one byte stays free for the terminator, and the
    // word cannot announce more than 65535.
    const int capacity = std::min(size - 1, 0xFFFF);
    *reinterpret_cast<WORD*>(buffer) = static_cast<WORD>(capacity);
    int count = static_cast<int>(
        SendMessageA(handle(), EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer)));
    count = std::max(0, std::min(count, capacity));
    buffer[count] = 0;
    return count;
}

int Memo::textEnd() {
    const int last = lineCount() - 1;
    const int index = lineIndex(last < 0 ? 0 : last);
    return (index < 0 ? 0 : index) + lineLength(last < 0 ? 0 : last);
}

void Memo::appendText(const char* text) {
    const int end = textEnd();
    setSelection(end, 0);
    replaceSelection(text);
}

void Memo::appendLine(const String& text) { appendText((text + "\r\n").c_str()); }

void Memo::insertAt(int position, const String& text) { insertAt(position, text.c_str()); }

void Memo::insertAt(int position, const char* text) {
    setSelection(position, 0);
    replaceSelection(text);
}

void Memo::replaceLine(int line, const String& text) { replaceLine(line, text.c_str()); }

void Memo::replaceLine(int line, const char* text) {
    const int index = lineIndex(line);
    // A line beyond the text has no index (-1); EM_SETSEL would take that as
    // "keep the caret" and the text would land wherever the caret is.
    if (index < 0) return;
    setSelection(index, lineLength(line));
    replaceSelection(text);
}

// ---- selection and state ----

void Memo::setReadOnly(bool on) { SendMessageA(handle(), EM_SETREADONLY, on ? TRUE : FALSE, 0); }

bool Memo::isReadOnly() { return (style() & ES_READONLY) != 0; }

void Memo::setRightMargin(int pixels) {
    SendMessageA(handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, pixels));
}

bool Memo::getSelection(int* start, int* length) {
    // The packed result is -1 once a position passes 65535, but the two
    // out-parameters are still filled: they are what counts.
    DWORD from = static_cast<DWORD>(-1);
    DWORD to = static_cast<DWORD>(-1);
    SendMessageA(handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    if (from == static_cast<DWORD>(-1) || to == static_cast<DWORD>(-1)) return false;
    if (start) *start = static_cast<int>(from);
    if (length) *length = static_cast<int>(to - from);
    return true;
}

void Memo::setSelection(int start, int length) {
    SendMessageA(handle(), EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start + length));
}

void Memo::replaceSelection(const String& text) { replaceSelection(text.c_str()); }

void Memo::replaceSelection(const char* text) {
    SendMessageA(handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text ? text : ""));
}

void Memo::lineFromChar(int index, int* column, int* line) {
    const int l = static_cast<int>(SendMessageA(handle(), EM_LINEFROMCHAR, static_cast<WPARAM>(index), 0));
    if (line) *line = l;
    if (column) *column = index - lineIndex(l);
}

void Memo::caretLine(int* column, int* line) {
    int start = 0;
    getSelection(&start, nullptr);
    lineFromChar(start, column, line);
}

void Memo::positionOfChar(int index, int* x, int* y) {
    const LRESULT packed = SendMessageA(handle(), EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
    if (x) *x = static_cast<short>(LOWORD(packed));
    if (y) *y = static_cast<short>(HIWORD(packed));
}

int Memo::charFromPosition(int x, int y) {
    const LRESULT packed = SendMessageA(handle(), EM_CHARFROMPOS, 0, MAKELPARAM(x, y));
    return LOWORD(packed);
}

void Memo::moveCaret(int column, int line) { setSelection(lineIndex(line) + column, 0); }

void Memo::setTextLimit(int limit) { SendMessageA(handle(), EM_LIMITTEXT, static_cast<WPARAM>(limit), 0); }

void Memo::clear() { setText(""); }
