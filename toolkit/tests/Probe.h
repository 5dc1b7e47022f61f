// A Component that records its virtual operations into a shared log, so that
// tests can compare what a message caused against an expected table, in the
// manner of Wine's user32 message-sequence tests.
#pragma once

#include "toolkit/Component.h"

#include "TestSupport.h"

#include <sstream>
#include <string>
#include <vector>

enum class Op {
    focus,
    escape,
    userRequest,
    wheelCallback,
    mouseUp,
    doubleClick,
    erase,
    paint,
    childAdded,
    resized,
    moved,
    keyDown,
    destroyed
};

inline const char* opName(Op op) {
    switch (op) {
    case Op::focus:
        return "focusChanged";
    case Op::escape:
        return "escapePressed";
    case Op::userRequest:
        return "userRequest";
    case Op::wheelCallback:
        return "onWheel";
    case Op::mouseUp:
        return "mouseUp";
    case Op::doubleClick:
        return "doubleClick";
    case Op::erase:
        return "eraseBackground";
    case Op::paint:
        return "paint";
    case Op::childAdded:
        return "childAdded";
    case Op::resized:
        return "resized";
    case Op::moved:
        return "moved";
    case Op::keyDown:
        return "keyDown";
    case Op::destroyed:
        return "destroyed";
    }
    return "?";
}

struct Event {
    std::string who;
    Op op;
    long a = 0;
    long b = 0;
    std::string other = {};   // a second object involved (e.g. the wheel's source)
    bool operator==(const Event& o) const {
        return who == o.who && op == o.op && a == o.a && b == o.b && other == o.other;
    }
};

inline std::string describe(const std::vector<Event>& events) {
    std::ostringstream s;
    for (const Event& e : events)
        s << "  " << e.who << "." << opName(e.op) << "(" << e.a << ", " << e.b
          << (e.other.empty() ? "" : ", " + e.other) << ")\n";
    return s.str();
}

// Compares a recorded sequence with the expected one and prints both on a mismatch.
#define EXPECT_SEQUENCE(recorded, ...)                                        \
    do {                                                                      \
        const std::vector<Event> expected_ = __VA_ARGS__;                     \
        EXPECT_EQ(recorded, expected_) << "recorded:\n"                       \
                                       << describe(recorded) << "expected:\n" \
                                       << describe(expected_);                \
    } while (0)

class Probe : public Component {
public:
    Probe(std::vector<Event>& log, const char* name, DWORD style, HWND parent, int x = 0, int y = 0,
          int width = 40, int height = 20, DWORD exStyle = 0)
        : Component(name, style, exStyle, x, y, width, height, parent), log_(log), name_(name) {
        onWheel.bind(this, &Probe::wheelTurned);
    }
    ~Probe() override {
        log_.push_back({name_, Op::destroyed});
        if (alive_) *alive_ = false;
    }

    void focusChanged(bool gained) override {
        record(Op::focus, gained);
        Component::focusChanged(gained);
    }
    void escapePressed() override {
        record(Op::escape);
        Component::escapePressed();
    }
    void userRequest() override {
        record(Op::userRequest);
        Component::userRequest();
    }
    void mouseUp(unsigned keys, int x, int y) override {
        record(Op::mouseUp, x, y);
        Component::mouseUp(keys, x, y);
    }
    void doubleClick(int x, int y) override {
        record(Op::doubleClick, x, y);
        Component::doubleClick(x, y);
    }
    // Painting happens whenever messages are pumped; only tests about
    // painting record it.
    LRESULT eraseBackground(HDC dc) override {
        if (recordPainting) record(Op::erase, dc == bufferDc());
        return Component::eraseBackground(dc);
    }
    void paint(HDC dc) override {
        if (recordPainting) record(Op::paint, dc == bufferDc());
        Component::paint(dc);
    }
    void childAdded(Component* child) override { record(Op::childAdded, reinterpret_cast<long>(child)); }
    void resized() override {
        record(Op::resized, clientWidth(), clientHeight());
        Component::resized();
    }
    void moved() override { record(Op::moved, x(), y()); }
    void keyDown(unsigned vk, LPARAM flags) override {
        record(Op::keyDown, vk);
        Component::keyDown(vk, flags);
    }

    // onWheel: records the source and the notches; stops climbing when asked.
    void wheelTurned(Component* source, int notches, unsigned, bool* passOn) {
        log_.push_back({name_, Op::wheelCallback, notches, 0,
                        source ? static_cast<Probe*>(source)->name_ : std::string("null")});
        lastWheelSource = source;
        if (stopWheel) *passOn = false;
    }

    void watchLifetime(bool* alive) {
        alive_ = alive;
        *alive = true;
    }
    const std::string& name() const { return name_; }

    bool stopWheel = false;
    bool recordPainting = false;
    Component* lastWheelSource = nullptr;

private:
    void record(Op op, long a = 0, long b = 0) { log_.push_back({name_, op, a, b}); }
    std::vector<Event>& log_;
    std::string name_;
    bool* alive_ = nullptr;
};

// Styles used throughout the tests.
constexpr DWORD popupStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
// Without a window manager Wine waits up to 2 s for every visible top-level
// window it unmaps; tests that need no real visibility use hidden ones.
constexpr DWORD hiddenPopupStyle = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD childStyle = WS_CHILD | WS_VISIBLE;
constexpr DWORD tabStopStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

// Every window test checks that the caches are empty once its objects are gone.
class WindowTest : public testing::Test {
protected:
    void TearDown() override {
        pumpMessages();
        EXPECT_EQ(cachedObjects(), 0u) << "pens or brushes were not given back";
    }
    std::vector<Event> log;
};
