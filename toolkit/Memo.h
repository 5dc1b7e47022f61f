// Memo: multi-line text over a native EDIT control, subclassed so that the
// toolkit sees its messages.  The toolkit paints the control's border itself
// (a bevel in the non-client area) and can replace the native scroll bar by
// a toolkit ScrollBar that it keeps in step with the text.
#pragma once

#include "foundation/String.h"
#include "toolkit/Callback.h"
#include "toolkit/Component.h"

class ScrollBar;

class Memo : public Component {
public:
    Memo(HWND parentWindow, int x, int y, int width, int height, DWORD style);
    ~Memo() override;

    // --- Component behaviour ---
    void setFont(HFONT font) override;
    using Component::setText;
    void setText(const char* text) override;
    LRESULT command(WPARAM wParam) override;
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // --- Memo operations, in order ---
    virtual void drawBorder();
    virtual void changed();
    // on: a vertical toolkit scroll bar at the right edge in `colour` (-1
    // inherits the memo's text colour); a second call only recolours it.
    virtual void setScrollBar(bool on, int colour);
    virtual ScrollBar* scrollBar() const;
    virtual int lineCount();
    virtual int lineLength(int line);
    virtual String line(int line);
    // Copies line `line` into buffer (size bytes including the terminating
    // zero); returns the characters copied, 0 when size is below 2.
    virtual int getLine(int line, char* buffer, int size);
    virtual void appendLine(const String& text);   // text + "\r\n" at the end
    virtual void appendText(const char* text);
    virtual void insertAt(int position, const String& text);
    virtual void insertAt(int position, const char* text);
    virtual void replaceLine(int line, const String& text);
    virtual void replaceLine(int line, const char* text);
    virtual void setReadOnly(bool on);
    virtual bool isReadOnly();
    virtual void setRightMargin(int pixels);
    virtual bool getSelection(int* start, int* length);
    virtual void setSelection(int start, int length);
    virtual void replaceSelection(const String& text);
    virtual void replaceSelection(const char* text);

    int lineIndex(int line);
    void lineFromChar(int index, int* column, int* line);
    void caretLine(int* column, int* line);
    void positionOfChar(int index, int* x, int* y);
    int charFromPosition(int x, int y);
    void moveCaret(int column, int line);
    void setTextLimit(int limit);   // 0: the control's maximum
    void clear();
    // Pen of bevel ring `ring` (light or dark), from the object that owns the
    // pen array; null beyond the array.
    HPEN bevelPen(int ring, bool dark) const;

    // Brings the scroll bar's range, page and position up to date.
    void synchroniseScrollBar();

    Callback<Memo*> onChange;

    // Lines one wheel notch scrolls: the user's setting
    // (SPI_GETWHEELSCROLLLINES), 3 where the system has none (Windows 95);
    // -1 for "a page per notch".
    static int wheelScrollLines();

private:
    void scrollTo(ScrollBar* bar);
    int textEnd();
    void wheelTurned(int delta);

    ScrollBar* scrollBar_ = nullptr;
    // Part of a notch not yet scrolled: touchpads and smooth wheels send
    // less than 120 at a time.
    int wheelRemainder_ = 0;
};
