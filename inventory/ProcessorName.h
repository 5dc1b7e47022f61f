// Processor identification for the "Processor details:" block: the CPUID
// vendor and brand strings, a human name from a fixed decision table over
// vendor, family and revision, and a clock measurement (time-stamp counter
// against the performance counter).
#pragma once

#include <cstdint>

#include "foundation/String.h"

// CPUID leaf 0: the 12 characters of EBX, EDX, ECX ("GenuineIntel");
// "" on a processor without CPUID.
String cpuVendorString();
// CPUID leaves 0x80000002..4 (48 characters); "" when the leaves are missing.
String cpuBrandString();

// The decision table alone (no queries): vendor as given, family =
// wProcessorLevel, revision = wProcessorRevision (model in the high byte,
// stepping in the low byte).
String processorNameFor(const String& vendor, int family, int revision);

// Hz = tscCycles * counterFrequency / counterTicks, then divided by divisor
// rounded to nearest.  0 when any of the three divisors is 0 or negative,
// when the cycles are not positive, or when the clock comes out above
// maxPlausibleClockHz (counters out of step between processors).
constexpr long double maxPlausibleClockHz = 100e9L;
int64_t cpuClockFromCounts(int64_t tscCycles, int64_t counterFrequency, int64_t counterTicks,
                           int64_t divisor);

// --- Windows only (ProcessorNameWin32.cpp) ---
// An empty vendor is replaced by cpuVendorString(); when family or revision
// is -1 both come from GetSystemInfo.
String processorName(const String& vendor = String(), int family = -1, int revision = -1);
// Busy-waits `milliseconds` on the performance counter while the time-stamp
// counter runs; returns the clock in Hz / divisor, rounded.  0 when the
// performance counter is missing or did not advance.
int64_t measureCpuClock(int64_t divisor, int64_t milliseconds);
