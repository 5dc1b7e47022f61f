#include "toolkit/ApplicationContext.h"

#include "foundation/CriticalSection.h"
#include "foundation/ScopedHandle.h"
#include "foundation/TaggedObject.h"

#include "toolkit/CommandLine.h"
#include "toolkit/DebugOutput.h"
#include "toolkit/TypeTags.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Plain pointer, zero before any start-up code: see application().
ApplicationContext* theContext = nullptr;

// The trace adds a thread column once a second thread has traced.
std::atomic<DWORD> firstTraceThread{0};
std::atomic<bool> traceMultiThreaded{false};

HINSTANCE ownAllocationBase() {
    // The allocation base of the region holding this code is the module's
    // base address, i.e. its HINSTANCE, whether this is the executable or a
    // DLL and whether or not the executable was started normally.
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<const void*>(&ownAllocationBase), &info, sizeof(info)) == 0)
        return GetModuleHandleA(nullptr);
    return static_cast<HINSTANCE>(info.AllocationBase);
}

// Forces creation during normal start-up and reports leaks at normal exit.
struct ContextLifetime {
    ContextLifetime() { application(); }
    ~ContextLifetime() { destroyApplication(); }
} contextLifetime;

}   // namespace

ApplicationContext& application() {
    if (!theContext) theContext = new ApplicationContext();
    return *theContext;
}

Tooltips* applicationTooltips() { return theContext ? theContext->tooltips() : nullptr; }

void destroyApplication() {
    ApplicationContext* context = theContext;
    theContext = nullptr;
    delete context;
}

ApplicationContext::ApplicationContext() : traceLock_(new CriticalSection()) {
    logPath_[0] = 0;
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
    instance_ = ownAllocationBase();
}

ApplicationContext::~ApplicationContext() {
    // Leak report order: solid pens, brushes, dotted pens.
    pens_.reportLeaks();
    brushes_.reportLeaks();
    dotPens_.reportLeaks();
    if (tooltips_ && destroyTooltips_) destroyTooltips_(tooltips_);
    tooltips_ = nullptr;
    delete traceLock_;
}

void ApplicationContext::setTooltips(Tooltips* tooltips, void (*destroy)(Tooltips*)) {
    if (tooltips_ && destroyTooltips_ && tooltips_ != tooltips) destroyTooltips_(tooltips_);
    tooltips_ = tooltips;
    destroyTooltips_ = destroy;
}

void ApplicationContext::setDebugOptions(bool enable, const char* logPath) {
    debugEnabled_ = enable;
    // No profiler is attached here: this program contains no profiling
    // code, so the flag and the log path are all there is to switch.
    if (logPath) {
        std::strncpy(logPath_, logPath, sizeof(logPath_) - 1);
        logPath_[sizeof(logPath_) - 1] = 0;
        DeleteFileA(logPath_);
    }
}

String ApplicationContext::argument(int n) const {
    if (n == 0) {
        // The module's own path, not the process's: a host that loaded the
        // executable as a library has a different main module.
        String path = String::reserved(4096);
        DWORD length = GetModuleFileNameA(instance_, path.buffer(), 4096);
        if (length >= 4096) length = 4095;
        path.buffer()[length] = 0;
        return path.recomputeLength();
    }
    return commandLineArgument(GetCommandLineA(), n);
}

int ApplicationContext::argumentCount() const { return commandLineArgumentCount(GetCommandLineA()); }

double ApplicationContext::elapsedMilliseconds() const {
    if (frequency_.QuadPart == 0) return GetTickCount();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
           static_cast<double>(frequency_.QuadPart);
}

void ApplicationContext::writeTraceLine(const char* line) {
    ScopedKernelHandle file;
    // Another process (a viewer) may hold the log open for a moment.
    for (int attempt = 0; attempt <= 100; ++attempt) {
        if (attempt > 0) Sleep(10);
        file.reset(CreateFileA(logPath_, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) break;
    }
    if (!file) return;   // this line is lost, the next may get through
    SetFilePointer(file.get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file.get(), line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
}

void ApplicationContext::trace(const TaggedObject* object, int indentDelta, const char* format, ...) {
    if (!debugEnabled_ && logPath_[0] == 0) return;

    DWORD thread = GetCurrentThreadId();
    DWORD expected = 0;
    if (!firstTraceThread.compare_exchange_strong(expected, thread) && expected != thread)
        traceMultiThreaded = true;

    traceLock_->enter();
    if (indentDelta > 0) {
        traceIndent_ += indentDelta;
        if (traceIndent_ > 500) traceIndent_ = 500;
    }

    char message[1024];
    int indent = traceIndent_;
    if (indent > static_cast<int>(sizeof(message)) - 2) indent = sizeof(message) - 2;
    std::memset(message, ' ', indent);
    va_list args;
    va_start(args, format);
    std::vsnprintf(message + indent, sizeof(message) - indent - 1, format, args);
    va_end(args);
    // Cut overlong text so that the line break always fits.
    std::strcat(message, "\n");

    const char* type = typeTagName(object ? object->typeTag() : 0);
    unsigned now = static_cast<unsigned>(elapsedMilliseconds());
    char line[1200];
    if (traceMultiThreaded) {
        std::snprintf(line, sizeof(line), "%4u: [%8u]\t<%10s:%p-%6lx>\t%s", traceLineCount_,
                      now - previousTraceTime_, type, static_cast<const void*>(object),
                      static_cast<unsigned long>(thread), message);
    } else {
        std::snprintf(line, sizeof(line), "%4u: [%8u]\t<%10s:%p>\t%s", traceLineCount_,
                      now - previousTraceTime_, type, static_cast<const void*>(object), message);
    }
    ++traceLineCount_;
    previousTraceTime_ = now;

    if (logPath_[0]) writeTraceLine(line);
    if (debugEnabled_) debugOutput(line);

    if (indentDelta < 0) {
        traceIndent_ += indentDelta;
        if (traceIndent_ < 0) traceIndent_ = 0;
    }
    traceLock_->leave();
}

int ApplicationContext::run() {
    int result = 0;
    MSG message;
    while (!quit_) {
        result = GetMessageA(&message, nullptr, 0, 0);
        if (result <= 0) break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return result;
}
