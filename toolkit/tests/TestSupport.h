// Helpers shared by the toolkit tests: debug-output capture, message pumping
// and the check that every cached GDI object was given back.
#pragma once

#include "foundation/Win32.h"
#include "toolkit/ApplicationContext.h"
#include "toolkit/DebugOutput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Collects everything sent to debugOutput() while it lives.
class DebugCapture {
public:
    DebugCapture() { previous_ = setDebugOutputSink(&DebugCapture::sink, this, &previousContext_); }
    ~DebugCapture() { setDebugOutputSink(previous_, previousContext_); }
    const std::vector<std::string>& lines() const { return lines_; }
    std::string all() const {
        std::string s;
        for (const auto& l : lines_) s += l;
        return s;
    }

private:
    static void sink(const char* text, void* context) {
        static_cast<DebugCapture*>(context)->lines_.push_back(text);
    }
    std::vector<std::string> lines_;
    DebugOutputSink previous_;
    void* previousContext_ = nullptr;
};

// Dispatches every queued message of this thread (posted ones included).
inline void pumpMessages() {
    MSG message;
    for (int round = 0; round < 4; ++round) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

inline size_t cachedObjects() {
    ApplicationContext& app = application();
    return app.penCache().size() + app.dotPenCache().size() + app.brushCache().size();
}

// Registered once per test program: after the last test, every pen and brush
// taken from the application's caches must have been given back.
class CachesEmptyAtEnd : public testing::Environment {
public:
    void TearDown() override {
        ApplicationContext& app = application();
        EXPECT_EQ(app.penCache().size(), 0u) << "pens left in the cache";
        EXPECT_EQ(app.dotPenCache().size(), 0u) << "dotted pens left in the cache";
        EXPECT_EQ(app.brushCache().size(), 0u) << "brushes left in the cache";
    }
};
