#include "foundation/PerformanceTimer.h"

#include "foundation/Win32.h"

PerformanceTimer::PerformanceTimer() {
    LARGE_INTEGER value;
    if (!QueryPerformanceFrequency(&value) || value.QuadPart <= 0) throw 0;
    frequency_ = uint64_t(value.QuadPart);
    QueryPerformanceCounter(&value);
    start_ = uint64_t(value.QuadPart);
}

uint64_t PerformanceTimer::elapsed(uint64_t units) const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return ticksToUnits(uint64_t(now.QuadPart) - start_, units);
}

uint64_t PerformanceTimer::ticksToUnits(uint64_t ticks, uint64_t units) const {
    // ticks * units / frequency, split into whole seconds and the remainder so
    // that a counter running at GHz rates cannot overflow the product; the
    // result is the same as the plain formula wherever that does not overflow.
    uint64_t seconds = ticks / frequency_;
    uint64_t rest = ticks % frequency_;
    return seconds * units + rest * units / frequency_;
}
