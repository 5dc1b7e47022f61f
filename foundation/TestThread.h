// A second thread for tests.  The Windows build uses the win32 thread model,
// whose runtime has no std::thread (the posix model's runtime would add
// imports that Windows 95 to XP lack), so there it is a Win32 thread; the
// host build uses std::thread.  Joined at the latest when destroyed.
#pragma once

#include <functional>
#include <utility>

#ifdef _WIN32
#include "foundation/Win32.h"
#else
#include <thread>
#endif

class TestThread {
public:
    explicit TestThread(std::function<void()> body) : body_(std::move(body)) {
#ifdef _WIN32
        handle_ = CreateThread(nullptr, 0, &TestThread::run, this, 0, nullptr);
        if (!handle_) body_();   // no second thread to be had: run it here rather than not at all
#else
        thread_ = std::thread(body_);
#endif
    }
    ~TestThread() { join(); }
    TestThread(const TestThread&) = delete;
    TestThread& operator=(const TestThread&) = delete;

    void join() {
#ifdef _WIN32
        if (handle_) {
            WaitForSingleObject(handle_, INFINITE);
            CloseHandle(handle_);
            handle_ = nullptr;
        }
#else
        if (thread_.joinable()) thread_.join();
#endif
    }

    // Gives the processor to another thread.
    static void yield() {
#ifdef _WIN32
        Sleep(0);
#else
        std::this_thread::yield();
#endif
    }

private:
    std::function<void()> body_;
#ifdef _WIN32
    static DWORD WINAPI run(LPVOID self) {
        static_cast<TestThread*>(self)->body_();
        return 0;
    }
    HANDLE handle_ = nullptr;
#else
    std::thread thread_;
#endif
};
