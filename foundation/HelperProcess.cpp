#include "foundation/HelperProcess.h"

#include "foundation/CriticalSection.h"
#include "foundation/Win32.h"

#include <vector>

// What the reader thread and the owner share.  Either may be the last to let
// go of it: a grandchild that inherited the child's output (a plug-in that
// started a program of its own) keeps the pipe open after the child is gone,
// the thread's ReadFile then never returns, and the owner must be able to
// leave without it.  Counted references decide who deletes.
struct HelperProcess::Channel {
    CriticalSection lock;
    std::string bytes;   // read, not yet handed over
    bool ended = false;  // the pipe reported its end (or an error)
    HANDLE dataEvent = nullptr;   // auto-reset; set after every read and at the end
    HANDLE output = nullptr;      // this side of the child's standard output
    volatile LONG references = 2;

    ~Channel() {
        if (output) CloseHandle(output);
        if (dataEvent) CloseHandle(dataEvent);
    }
    // InterlockedDecrement on Windows 95 returns only the sign of the new
    // count, which is all that is asked here.
    void release() {
        if (InterlockedDecrement(const_cast<LONG*>(&references)) == 0) delete this;
    }
};

namespace {

DWORD WINAPI readOutput(void* parameter) {
    auto* channel = static_cast<HelperProcess::Channel*>(parameter);
    std::vector<char> buffer(4096);
    for (;;) {
        DWORD got = 0;
        const bool ok = ReadFile(channel->output, buffer.data(), DWORD(buffer.size()), &got, nullptr) != 0;
        CriticalSectionLock hold(channel->lock);
        if (!ok || got == 0) {
            channel->ended = true;
            SetEvent(channel->dataEvent);
            break;
        }
        channel->bytes.append(buffer.data(), got);
        SetEvent(channel->dataEvent);
    }
    channel->release();
    return 0;
}

// A pipe whose child end is inherited and whose end on this side is not.
// childReads: the child reads (its standard input), else it writes.
bool makePipe(ScopedKernelHandle& readEnd, ScopedKernelHandle& writeEnd, bool childReads) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE reading = nullptr, writing = nullptr;
    if (!CreatePipe(&reading, &writing, &inherited, 0)) return false;
    readEnd.reset(reading);
    writeEnd.reset(writing);
    ScopedKernelHandle& ours = childReads ? writeEnd : readEnd;
    HANDLE handle = ours.get();
    if (!makeNotInherited(handle)) return false;
    ours.release();   // closed by makeNotInherited
    ours.reset(handle);
    return true;
}

}   // namespace

bool makeNotInherited(HANDLE& handle) {
    HANDLE copy = nullptr;
    // Without DUPLICATE_CLOSE_SOURCE, which closes the source even when the
    // copy fails: the caller keeps a handle it can still use and close.
    // SetHandleInformation would say it in one call but does not exist on
    // Windows 95.
    if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return false;
    CloseHandle(handle);
    handle = copy;
    return true;
}

HelperProcess::~HelperProcess() {
    terminate();
    releaseChannel();
}

bool HelperProcess::start(const String& imagePath, const String& arguments) {
    if (process_) {
        error_ = ERROR_ALREADY_EXISTS;
        return false;
    }
    error_ = 0;
    ScopedKernelHandle childInput, input, output, childOutput;
    if (!makePipe(childInput, input, true) || !makePipe(output, childOutput, false)) {
        error_ = GetLastError();
        return false;
    }

    auto* channel = new Channel;
    channel->dataEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!channel->dataEvent) {
        error_ = GetLastError();
        delete channel;
        return false;
    }

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    // No window to show and no "application starting" cursor for the two
    // seconds Windows waits for a first window that never comes.
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = childInput.get();
    startup.hStdOutput = childOutput.get();
    startup.hStdError = nullptr;
    String commandLine = String("\"") + imagePath + "\" " + arguments;
    PROCESS_INFORMATION created;
    ZeroMemory(&created, sizeof created);
    // DETACHED_PROCESS: a console image (a test program) gets no console
    // window of its own; a GUI image ignores it.
    if (!CreateProcessA(imagePath.c_str(), commandLine.buffer(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr,
                        nullptr, &startup, &created)) {
        error_ = GetLastError();
        delete channel;
        return false;
    }
    CloseHandle(created.hThread);
    ScopedKernelHandle process(created.hProcess);
    // The child has its copies; with ours closed, the pipes end when it does.
    childInput.reset();
    childOutput.reset();

    channel->output = output.release();
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, readOutput, channel, 0, &threadId);
    if (!thread) {
        error_ = GetLastError();
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
        delete channel;
        return false;
    }
    channel_ = channel;
    readerThread_.reset(thread);
    input_ = std::move(input);
    process_ = std::move(process);
    processId_ = created.dwProcessId;
    return true;
}

bool HelperProcess::send(const std::string& bytes) {
    if (!input_) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(input_.get(), bytes.data() + done, DWORD(bytes.size() - done), &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

HelperProcess::Wait HelperProcess::receive(std::string& received, unsigned long milliseconds) {
    if (!channel_) return Wait::ended;
    const DWORD startTick = GetTickCount();
    bool processGone = false;
    DWORD processGoneTick = 0;
    for (;;) {
        {
            CriticalSectionLock hold(channel_->lock);
            if (!channel_->bytes.empty()) {
                received += channel_->bytes;
                channel_->bytes.clear();
                return Wait::data;
            }
            if (channel_->ended) return Wait::ended;
        }
        const DWORD now = GetTickCount();
        // Once the process is gone, what it wrote last is still in the pipe
        // for the reader thread; a short wait lets that arrive.  If the pipe
        // never ends (a grandchild holds it), the child counts as ended all
        // the same.
        if (processGone && now - processGoneTick >= 500) return Wait::ended;
        const DWORD elapsed = now - startTick;
        if (elapsed >= milliseconds) return Wait::timedOut;
        DWORD wait = milliseconds - elapsed;
        if (processGone) {
            wait = 500 - (now - processGoneTick);
            WaitForSingleObject(channel_->dataEvent, wait);
            continue;
        }
        HANDLE handles[2] = {channel_->dataEvent, process_.get()};
        const DWORD woke = WaitForMultipleObjects(2, handles, FALSE, wait);
        if (woke == WAIT_OBJECT_0 + 1) {
            processGone = true;
            processGoneTick = GetTickCount();
        } else if (woke == WAIT_FAILED) {
            return Wait::ended;
        }
    }
}

bool HelperProcess::hasEnded() const {
    return !process_ || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
}

unsigned long HelperProcess::exitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_ && !GetExitCodeProcess(process_.get(), &code)) code = STILL_ACTIVE;
    return code;
}

void HelperProcess::finish(unsigned long graceMilliseconds) {
    input_.reset();
    if (process_ && WaitForSingleObject(process_.get(), graceMilliseconds) != WAIT_OBJECT_0) terminate();
}

void HelperProcess::terminate() {
    input_.reset();
    if (process_ && WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 5000);
    }
}

void HelperProcess::releaseChannel() {
    if (!channel_) return;
    // The reader ends with the pipe; give it a moment so that its memory
    // and handles go now rather than with the process.
    if (readerThread_) WaitForSingleObject(readerThread_.get(), 1000);
    readerThread_.reset();
    channel_->release();
    channel_ = nullptr;
}
