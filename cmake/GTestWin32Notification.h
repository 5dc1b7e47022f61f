// Forced into every GoogleTest translation unit of the Windows build.
//
// The win32 thread model's C++ runtime (GCC 12) has no std::mutex or
// std::condition_variable, and GoogleTest uses them only in its Notification
// class (which only its own thread helpers use); everything else of its
// threading is already Win32 under MinGW.  GoogleTest takes a Notification
// provided beforehand (GTEST_HAS_NOTIFICATION_), so here is one on an atomic
// flag.  <windows.h> stays out: forced into every test source, its macros
// (far, near, min, ...) would break portable code; Sleep is all it needs.
#pragma once

#ifdef __cplusplus
#include <atomic>

extern "C" __declspec(dllimport) void __stdcall Sleep(unsigned long milliseconds);

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true); }
    void WaitForNotification() {
        while (!notified_.load()) Sleep(1);
    }

private:
    std::atomic<bool> notified_{false};
};

}   // namespace internal
}   // namespace testing
#endif
