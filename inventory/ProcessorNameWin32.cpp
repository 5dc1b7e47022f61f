// The Windows half of processor identification: family and revision from
// GetSystemInfo, and the clock measured against the performance counter.
#include "foundation/Win32.h"

#include <x86intrin.h>

#include "foundation/DynamicCalls.h"
#include "inventory/ProcessorName.h"

String processorName(const String& vendor, int family, int revision) {
    String v = vendor == "" ? cpuVendorString() : vendor;
    if (family == -1 || revision == -1) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        family = info.wProcessorLevel;
        revision = info.wProcessorRevision;
    }
    return processorNameFor(v, family, revision);
}

namespace {

// Keeps the calling thread on one processor for a scope: time-stamp counters
// of different processors need not agree, and a thread moved between the two
// readings would measure their difference.  Nothing where the system has no
// affinity (Windows 9x) or refuses it.
class OnOneProcessor {
public:
    OnOneProcessor() {
        setAffinity_ = dynamicCalls().setThreadAffinityMask;
        DWORD_PTR process = 0, system = 0;
        if (!setAffinity_ || !GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || !process)
            return;
        const DWORD_PTR lowest = process & (~process + 1);
        previous_ = setAffinity_(GetCurrentThread(), lowest);
    }
    ~OnOneProcessor() {
        if (previous_) setAffinity_(GetCurrentThread(), previous_);
    }
    OnOneProcessor(const OnOneProcessor&) = delete;
    OnOneProcessor& operator=(const OnOneProcessor&) = delete;

private:
    decltype(DynamicCalls::setThreadAffinityMask) setAffinity_ = nullptr;
    DWORD_PTR previous_ = 0;
};

}   // namespace

int64_t measureCpuClock(int64_t divisor, int64_t milliseconds) {
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return 0;
    OnOneProcessor pinned;
    // Integer division first: the interval is a whole number of ticks per ms.
    const int64_t interval = (frequency.QuadPart / 1000) * milliseconds;
    const int64_t t0 = (int64_t)__rdtsc();
    LARGE_INTEGER c0, c;
    QueryPerformanceCounter(&c0);
    do {
        QueryPerformanceCounter(&c);
    } while (c.QuadPart - c0.QuadPart < interval);
    const int64_t t1 = (int64_t)__rdtsc();
    return cpuClockFromCounts(t1 - t0, frequency.QuadPart, c.QuadPart - c0.QuadPart, divisor);
}
