// PerformanceTimer: elapsed time on the high-resolution performance counter.
// Windows only (QueryPerformanceCounter); the header needs no <windows.h>.
#pragma once

#include <cstdint>

#include "foundation/TaggedObject.h"

class PerformanceTimer : public TaggedObject {
public:
    // Reads the counter frequency and the start count.  Throws the integer 0
    // when the machine has no performance counter.
    PerformanceTimer();

    // Time since construction in the given units per second (1000 gives
    // milliseconds), rounded down.
    uint64_t elapsed(uint64_t units) const;
    // A tick count converted to the given units per second, rounded down.
    uint64_t ticksToUnits(uint64_t ticks, uint64_t units) const;

    uint64_t frequency() const { return frequency_; }

private:
    uint64_t frequency_ = 0;
    uint64_t start_ = 0;
};
