#include "foundation/PerformanceTimer.h"
#include "foundation/Win32.h"

#include <gtest/gtest.h>

namespace {

TEST(PerformanceTimer, ConvertsTicksToUnits) {
    PerformanceTimer timer;
    const uint64_t f = timer.frequency();
    ASSERT_GT(f, 0u);
    struct Row {
        const char* name;
        uint64_t ticks, units, result;
    } rows[] = {
        {"one second in ms", f, 1000, 1000},
        {"units other than powers of ten", f * 5, 500, 2500},
        {"rounds down", f - 1, 1, 0},
        {"zero", 0, 1000000, 0},
        {"a year of ticks in microseconds", f * 31536000, 1000000, 31536000000000ull},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(timer.ticksToUnits(r.ticks, r.units), r.result);
    }
}

TEST(PerformanceTimer, ElapsedCountsFromConstruction) {
    PerformanceTimer timer;
    uint64_t first = timer.elapsed(1000000);
    Sleep(30);
    uint64_t later = timer.elapsed(1000);
    EXPECT_GE(later, 20u);   // Sleep may wake a little early on coarse timers
    EXPECT_LT(later, 60000u);
    EXPECT_LT(first, later * 1000 + 1);
}

}   // namespace
