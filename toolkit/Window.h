// Window: an Element that owns one native window of the class "myComponent"
// (or a native control it subclassed), keeps its place in the parent's child
// ring and routes messages it does not handle to a hook and then to the
// window's previous procedure.
//
// Binding: the one toolkit window procedure stores the object in the window's
// GWL_USERDATA on WM_NCCREATE (so messages sent during CreateWindowEx already
// reach it) and clears it before the object lets go of the window.  No C++
// exception ever leaves the window procedure: Windows cannot unwind through
// its own frames.
#pragma once

#include "foundation/Win32.h"
#include "toolkit/Callback.h"
#include "toolkit/Element.h"

class Window;

// What the message hook sees; it sets `handled` (and `result`) to consume.
struct MessageRecord {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
    bool handled;
};

class Window : public Element {
public:
    // Creates the native window of class "myComponent".  A parent handle that
    // belongs to a toolkit object makes that object the style parent; unless
    // exStyle has WS_EX_NOPARENTNOTIFY the new object also joins its children.
    Window(const char* title, DWORD style, DWORD exStyle, int x, int y, int width, int height,
           HWND parentWindow);

    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Detaches from the parent's ring and destroys the native window.
    ~Window() override;
    virtual void setNext(Window* next);
    virtual void setPrev(Window* previous);
    virtual bool isDestroying() const;

    HWND handle() const { return hwnd_; }
    Window* nextSibling() const { return nextSibling_; }
    Window* prevSibling() const { return prevSibling_; }

    // The toolkit object of a native window (any class in the toolkit's tag
    // range), or null for foreign windows and unreadable user data.
    static Window* windowFromHandle(HWND window);

    // Replaces the placeholder window by a native control: the control is
    // subclassed with the toolkit procedure and becomes this object's window.
    void attachNative(HWND control);

    // Sees every message the dispatcher did not consume.
    Callback<Window*, MessageRecord&> messageHook;

    // The procedure registered for "myComponent" and installed on subclassed
    // controls.
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    static const char* className() { return "myComponent"; }

protected:
    // Message hook, then the previous procedure: the default processing every
    // dispatcher falls back to.
    LRESULT defaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);
    // Gives the native window up (used when it is destroyed from outside):
    // the object then no longer touches it.
    void forgetWindow();

private:
    static void registerClass(Window* tracer);
    static Element* styleParentOf(HWND parentWindow);

    bool destroying_ = false;
    HWND hwnd_ = nullptr;
    WNDPROC previousProc_;
    Window* prevSibling_;
    Window* nextSibling_;
};
