// Tooltips: the one common-controls tooltip window of the program.  Every
// component that shows a tip is a tool of it, identified by its own window
// handle; the tooltip window subclasses the tool's window, so the toolkit
// never has to relay mouse messages to it.
//
// The object belongs to the application context; shared() creates it on
// first use and hands it to the context, which destroys it at exit.
#pragma once

#include "foundation/Win32.h"

class Component;

class Tooltips {
public:
    // TTF_IDISHWND | TTF_SUBCLASS: the usual flags of a component's tool.
    static constexpr UINT componentToolFlags = 0x11;

    Tooltips();
    ~Tooltips();

    // The context's tooltip object, created (with its window) on first call.
    static Tooltips& shared();

    // Creates the tooltip window (always on top, balloon style).  A failure
    // leaves window() null; tools then simply show nothing.
    void create();
    void destroy();
    HWND window() const { return window_; }

    // Registers the component as a tool.  With TTF_TRACK in flags the text is
    // asked for when shown (LPSTR_TEXTCALLBACK); otherwise it starts empty.
    LRESULT addTool(Component* component, UINT flags);
    // Sets the tool's text; the tooltip window keeps its own copy.
    void updateText(Component* component, const char* text);
    // Forgets the component's tool.  The tooltip window keeps a tool record
    // (and its subclass of the tool's window) until told otherwise, so every
    // component that registered one removes it before its window goes.
    void removeTool(Component* component);
    // The tools the tooltip window holds (0 without a window).
    int toolCount() const;

    Tooltips(const Tooltips&) = delete;
    Tooltips& operator=(const Tooltips&) = delete;

private:
    HWND window_ = nullptr;
};
