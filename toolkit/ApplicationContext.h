// ApplicationContext: the one process-wide object every toolkit object
// shares: instance handle, the tooltip window, the pen and brush caches, the
// quit flag of the message loops, the command-line arguments and the debug
// trace.
//
// It is created on first use through application().  A static object forces
// creation during start-up as well, but the program's export may run in a host
// that loaded the executable as a library, where no start-up code (and no
// static constructor) ever runs; first use then builds it.
#pragma once

#include "foundation/String.h"
#include "foundation/Win32.h"
#include "toolkit/ResourceCache.h"

class CriticalSection;
class TaggedObject;
class Tooltips;   // the shared tooltip window object, built by the tooltip code

class ApplicationContext {
public:
    ApplicationContext();
    // Reports and frees cached GDI objects left behind, then destroys the
    // tooltip object.
    ~ApplicationContext();

    // Allocation base of the toolkit's own code: the executable (or the DLL
    // the toolkit is linked into), whoever started the process.
    HINSTANCE instance() const { return instance_; }

    // The tooltip window is owned here but made by the tooltip code: it
    // installs its object once (e.g. on first use) together with the function
    // that destroys it when the context goes.
    Tooltips* tooltips() const { return tooltips_; }
    void setTooltips(Tooltips* tooltips, void (*destroy)(Tooltips*));

    void requestQuit() { quit_ = true; }
    bool quitRequested() const { return quit_; }
    // For tests that run several message loops in one process.
    void clearQuit() { quit_ = false; }

    // enable: debug trace to the debugger output.  logPath (may be null): the
    // trace is also appended to this file, which is deleted now.
    void setDebugOptions(bool enable, const char* logPath = nullptr);
    bool debugOutputEnabled() const { return debugEnabled_; }

    // 0: the program's own file path; n >= 1: the n-th command-line argument
    // after the program name, "" when there are fewer.
    String argument(int n) const;
    int argumentCount() const;

    // Writes one numbered, time-stamped trace line naming `object` and its
    // type, when tracing is on.  indentDelta > 0 indents this line and the
    // following ones; < 0 un-indents after this line.
    void trace(const TaggedObject* object, int indentDelta, const char* format, ...)
        __attribute__((format(printf, 4, 5)));

    // Borrowed GDI objects, shared per colour (see ResourceCache).
    HBRUSH brush(COLORREF colour) { return static_cast<HBRUSH>(brushes_.take(colour)); }
    void releaseBrush(HBRUSH h) { brushes_.release(h); }
    HPEN pen(COLORREF colour) { return static_cast<HPEN>(pens_.take(colour)); }
    void releasePen(HPEN h) { pens_.release(h); }
    HPEN dotPen(COLORREF colour) { return static_cast<HPEN>(dotPens_.take(colour)); }
    void releaseDotPen(HPEN h) { dotPens_.release(h); }

    const ResourceCache& penCache() const { return pens_; }
    const ResourceCache& dotPenCache() const { return dotPens_; }
    const ResourceCache& brushCache() const { return brushes_; }

    // The application's message loop: runs until the quit flag is set or
    // GetMessageA returns 0 (WM_QUIT) or less.  Returns the last GetMessageA
    // result, 0 when none was fetched.
    int run();

    ApplicationContext(const ApplicationContext&) = delete;
    ApplicationContext& operator=(const ApplicationContext&) = delete;

private:
    double elapsedMilliseconds() const;
    void writeTraceLine(const char* line);

    // Guards the trace, the one part used from several threads.  Held by
    // pointer: CriticalSection's alignment follows std::max_align_t, which
    // MinGW defines differently depending on header order, so embedding it
    // would give this class a different layout in different sources.
    CriticalSection* traceLock_;
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
    char logPath_[1024];
    unsigned previousTraceTime_ = 0;
    unsigned traceLineCount_ = 0;
    int traceIndent_ = 0;
    bool quit_ = false;
    HINSTANCE instance_ = nullptr;
    Tooltips* tooltips_ = nullptr;
    void (*destroyTooltips_)(Tooltips*) = nullptr;
    ResourceCache pens_{ResourceCache::SolidPen};
    ResourceCache dotPens_{ResourceCache::DotPen};
    ResourceCache brushes_{ResourceCache::Brush};
    bool debugEnabled_ = false;
};

// The context, created on first call.
ApplicationContext& application();

// The context's tooltip object; null when there is no context or it has no
// tooltip object.  Creates neither (for teardown paths).
Tooltips* applicationTooltips();

// Destroys the context now (leak report included); the next application()
// call makes a fresh one.  Normally the context lives until process exit.
void destroyApplication();
