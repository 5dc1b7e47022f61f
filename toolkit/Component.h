// Component: the full toolkit widget.  Adds to Window the child ring, focus
// tracking and Tab navigation, event callbacks, geometry, docking layout,
// double-buffered painting, text access and a modal message loop.
//
// Every native message goes through handleMessage(), which turns it into the
// virtual operations below; their defaults invoke the on... callbacks.
// Derived widgets override operations and append their own after
// textLength().  (setText has two overloads: an override of one needs
// `using Component::setText;` to keep the other visible.)
#pragma once

#include "foundation/String.h"
#include "foundation/Win32.h"
#include "toolkit/Callback.h"
#include "toolkit/GdiObject.h"
#include "toolkit/MemoryDc.h"
#include "toolkit/Window.h"

class Component;

// Dock modes for setDock(): where the parent's layout() places a child.
namespace Dock {
constexpr int none = 0;
constexpr int top = 1;
constexpr int bottom = 2;
constexpr int left = 3;
constexpr int right = 4;
constexpr int topInside = 5;      // top, between the left and right columns
constexpr int bottomInside = 6;   // bottom, between the left and right columns
constexpr int fill = 7;
}   // namespace Dock

class Component : public Window {
public:
    Component(const char* title, DWORD style, DWORD exStyle, int x, int y, int width, int height,
              HWND parentWindow);
    // Releases the back buffer, deletes the remaining children, then the
    // native window goes (Window) and the style objects (Element).
    ~Component() override;

    // --- Element / Window operations with Component behaviour ---
    void mouseDown(unsigned keys, int x, int y) override;
    void mouseUp(unsigned keys, int x, int y) override;
    void rightMouseDown(unsigned keys, int x, int y) override;
    void rightMouseUp(unsigned keys, int x, int y) override;
    void mouseMove(unsigned keys, int x, int y) override;
    void invalidate() override;
    // Style setters propagate to the children that inherit the attribute.
    void setFaceColor(int colour) override;
    void setFont(HFONT font) override;
    void setTextColor(int colour) override;
    void setDisabledTextColor(int colour) override;
    void setBevelDepth(int depth) override;
    void setBaseColor(int colour) override;
    void setRelief(int relief) override;
    // The message dispatcher.
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // --- Component operations, in order ---
    virtual void readGeometry();
    virtual LRESULT eraseBackground(HDC dc);
    virtual void paint(HDC dc);
    virtual void timer(UINT_PTR id);
    virtual void keyDown(unsigned vk, LPARAM flags);
    virtual void keyUp(unsigned vk, LPARAM flags);
    virtual void character(unsigned* ch, LPARAM flags);
    virtual LRESULT command(WPARAM wParam);
    virtual LRESULT notify(NMHDR* header);
    virtual void resized();
    virtual void adjustGeometry(int* x, int* y, int* cx, int* cy);
    virtual void moved();
    virtual void doubleClick(int x, int y);
    virtual void focusChanged(bool gained);
    virtual void escapePressed();
    virtual void userRequest();
    // packed: key state in the low word, signed notches in the high word.
    virtual void wheel(DWORD packed, Component* source);
    virtual void contextMenu(int x, int y);
    virtual void childAdded(Component* child);
    virtual void enabledChanged();
    virtual void previewKey(Component* source, unsigned* vk, LPARAM flags);
    // A press in progress ends without its release: the mouse capture went to
    // another window (WM_CAPTURECHANGED, also after WM_CANCELMODE), or the
    // focus moved away.  Controls that show a press or repeat it stop here.
    virtual void pressCancelled();
    // Child iteration: null `after` starts at the first (last when
    // backwards) child; the end yields null.
    virtual Component* nextChild(Component* after, bool backwards);
    virtual void setRedraw(bool on);
    // Sends the message to every child; returns the last result.
    virtual LRESULT broadcast(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void clientRect(RECT* rect);
    virtual void refresh();
    virtual void enable(bool on);
    virtual void layout();
    virtual bool takeFocus(bool backwards);
    virtual void setCursor(HCURSOR cursor);
    virtual void fitToChildren(int marginX, int marginY);
    virtual void setText(const String& text);
    virtual void setText(const char* text);
    virtual String text();
    virtual int getText(char* buffer, int size);
    virtual int textLength();

    // --- non-virtual accessors ---
    static Component* fromHandle(HWND window);
    bool isEnabled() const;
    bool isVisible() const;
    DWORD style() const;
    void setStyle(DWORD style);
    DWORD exStyle() const;
    void move(int x, int y);
    void resize(int cx, int cy);          // -1 keeps the stored width or height
    void setClientSize(int cx, int cy);   // outer size = client + the frame
    void show(bool on);
    void startTimer(UINT_PTR id, UINT milliseconds);
    void stopTimer(UINT_PTR id);
    void setDock(int mode);
    int dock() const { return dock_; }
    void setFocusableContainer(bool on) { focusableContainer_ = on; }
    bool isFocusableContainer() const { return focusableContainer_; }
    void setKeyPreview(bool on) { keyPreview_ = on; }
    bool measureText(const char* text, SIZE* size);
    // The component whose window is the top of this one's chain: itself when
    // it has no parent or is WS_EX_NOPARENTNOTIFY (a dialog).
    Component* topLevel();
    POINT screenPosition() const;
    // MessageBoxA owned by the top-level window; an empty caption becomes
    // the program's file name without folder and extension.
    int messageBox(const char* text, const char* caption, UINT flags);

    void setDoubleBuffered(bool on);
    bool isDoubleBuffered() const { return doubleBuffered_; }
    HDC bufferDc() const { return bufferDc_.get(); }

    // Shows the component and pumps messages until endModal() with a nonzero
    // result, WM_CLOSE (-1) or the application's quit flag.  The owner (or,
    // without one, the parent) is disabled meanwhile.
    int runModal(HWND owner = nullptr);
    void endModal(int result);
    bool inModalLoop() const { return inModalLoop_; }
    int modalResult() const { return modalResult_; }

    // Child ring (the Window constructor and destructor call these).
    void addChild(Window* child);
    void removeChild(Window* child);
    Component* firstChild() const;
    Component* focusedChild() const { return focusedChild_; }
    bool hasChild(const Window* child) const;

    int x() const { return x_; }
    int y() const { return y_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    int textHeight() const { return textHeight_; }
    bool isActive() const { return active_; }
    HCURSOR cursor() const { return cursor_; }

    // Event callbacks; each is called with the component first.
    Callback<Component*> onResize;
    Callback<Component*, UINT_PTR> onTimer;
    Callback<Component*, int, int> onDoubleClick;
    Callback<Component*, unsigned, int, int> onMouseDown;   // left and right button
    Callback<Component*, unsigned, int, int> onMouseUp;
    Callback<Component*, unsigned, int, int> onMouseMove;
    Callback<Component*, unsigned, LPARAM> onKeyDown;
    Callback<Component*, unsigned, LPARAM> onKeyUp;
    Callback<Component*, unsigned*, LPARAM> onChar;   // may change or zero the character
    Callback<Component*, bool> onFocus;
    Callback<Component*> onEscape;
    Callback<Component*> onUserRequest;
    // (source, notches, keys, passOn): clear *passOn to stop the turn climbing.
    Callback<Component*, int, unsigned, bool*> onWheel;
    Callback<Component*, int, int> onContextMenu;
    Callback<Component*, unsigned*, LPARAM> onKeyPreview;   // zero *vk to swallow the key

    // A Shift key is down as of the message being handled (gives Tab its
    // direction).  Read from the keyboard state, not from key messages: the
    // key-up of a Shift released over another window (or eaten by Alt+Shift)
    // never reaches a component.
    static bool shiftDown();

protected:
    Component* parentComponent() const;

private:
    // Set while the button-up handler releases the capture itself: that
    // WM_CAPTURECHANGED ends the press normally, not as a cancellation.
    bool releasingCapture_ = false;
    LRESULT sizeChanged(UINT message, WPARAM wParam, LPARAM lParam);
    void vetoGeometry(WINDOWPOS* position);
    LRESULT colourControl(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    void focusReport(WPARAM wParam, LPARAM lParam);
    void moveFocus(bool backwards);
    void setFocusTo();
    LRESULT paintMessage(WPARAM wParam, LPARAM lParam);
    // Cuts the visible child windows out of the DC's clip region.
    void excludeChildWindows(HDC dc) const;
    void detectDoubleClick(int x, int y);
    void createBackBuffer(int width, int height);
    void releaseBackBuffer();
    void applyFontToWindow();

    Component* focusedChild_ = nullptr;
    Window* firstChild_ = nullptr;
    bool tooltipRegistered_ = false;
    int textHeight_ = 0;
    int modalResult_ = 0;
    bool doubleBuffered_ = false;
    // Owned; releaseBackBuffer() takes them apart in the order GDI needs.
    ScopedBitmap bufferBitmap_;
    HGDIOBJ bufferDisplaced_ = nullptr;   // the DC's stock bitmap, not ours
    MemoryDc bufferDc_;
    int bufferWidth_ = 0;
    int bufferHeight_ = 0;
    bool inModalLoop_ = false;
    bool focusableContainer_ = false;
    bool keyPreview_ = true;
    DWORD lastClickTime_ = 0;
    int lastClickX_ = -1000;
    int lastClickY_ = -1000;
    HCURSOR cursor_ = nullptr;
    bool disabled_ = false;
    int dock_ = Dock::none;
    bool active_ = true;
    bool layingOut_ = false;
    int x_ = 0, y_ = 0, width_ = 0, height_ = 0, clientWidth_ = 0, clientHeight_ = 0;

public:
    // For the tooltip code: whether this component is already a tool.
    bool tooltipRegistered() const { return tooltipRegistered_; }
    void setTooltipRegistered(bool on) { tooltipRegistered_ = on; }
    // Makes the component a tool of the shared tooltip window (once) and sets
    // its tip text.  Defined with the tooltip code (Tooltips.cpp).
    void setTooltip(const char* text);
    // Removes the tool setTooltip registered; the destructor calls it.
    void removeTooltip();
};
