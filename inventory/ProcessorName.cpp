// Processor name table and CPUID strings.  Portable: CPUID is an x86
// instruction, not a Windows call, so this file also builds natively.
#include "inventory/ProcessorName.h"

#include <cpuid.h>
#include <cstring>
#include <initializer_list>

namespace {

const int kAny = -1;
const uint32_t kAnyStepping = 0xFFFFFFFFu;

constexpr uint32_t steppings(std::initializer_list<int> values) {
    uint32_t mask = 0;
    for (int v : values) mask |= 1u << v;
    return mask;
}
constexpr uint32_t steppingRange(int first, int last) {
    uint32_t mask = 0;
    for (int v = first; v <= last; ++v) mask |= 1u << v;
    return mask;
}

// One row of a vendor's table.  Rows are tried top to bottom and the first
// match wins, so a row with "any" cells must come after the narrower ones.
struct Row {
    int family;
    int model;        // kAny matches every model
    uint32_t steps;   // one bit per stepping 0..31; kAnyStepping matches all
    const char* name;
};

const Row kIntel[] = {
    {5, 0, kAnyStepping, "Early Pentium"},
    {5, 1, steppings({3, 5}), "Pentium 5V (FDIV)"},
    {5, 1, steppings({7}), "Pentium 5V"},
    {5, 1, steppings({10}), "Pentium (P5 overdrive - 120/133 MHz)"},
    {5, 2, steppings({1, 2}), "Pentium 3.5 V (FDIV)"},
    {5, 2, steppingRange(4, 6), "Pentium 3.5 V"},
    {5, 2, steppings({11, 12}), "Pentium 3.5 V"},
    {5, 3, steppings({1}), "Pentium (486 overdrive 1.x)"},
    {5, 3, steppings({2}), "Pentium (486 overdrive 2.x)"},
    {5, 4, steppings({3, 4}), "Pentium MMX"},
    {5, 7, steppings({0}), "Pentium P54C (mA4)"},
    {5, 8, kAnyStepping, "Pentium MMX (low voltage)"},
    {6, 0, kAnyStepping, "Pentium Pro A"},
    {6, 1, steppings({1, 2, 6, 7, 9}), "Pentium Pro (regular)"},
    {6, 3, steppings({2}), "Pentium II (Pentium Pro overdrive)"},
    {6, 3, steppings({3, 4}), "Pentium II (Klamath)"},
    {6, 5, steppingRange(0, 3), "Pentium II"},
    {6, 6, steppings({0, 5, 10}), "Pentium II"},
    {6, 7, steppings({2, 3}), "Pentium II (Katmai)"},
    {6, 8, steppings({1, 3, 6}), "Pentium III (Coppermine)"},
    {6, 10, kAnyStepping, "Pentium III (Cascades)"},
    {15, kAny, kAnyStepping, "Pentium 4 (Willamette)"},
};

const Row kAmd[] = {
    {5, 0, steppings({0, 1}), "AMD K5"},
    {5, 1, steppings({1, 2, 4}), "AMD K5"},
    {5, 2, steppings({4}), "AMD K5"},
    {5, 3, steppings({4}), "AMD K5"},
    {5, 6, steppings({1, 2}), "AMD K6"},
    {5, 7, steppings({0}), "AMD K6"},
    {5, 8, steppings({0}), "AMD K6-2"},
    {5, 9, steppings({1}), "AMD K6-III"},
    {5, 13, kAnyStepping, "AMD K6-2+ or K6-III+"},
    {6, 1, kAnyStepping, "AMD Athlon (Slot A, 25um)"},
    {6, 2, kAnyStepping, "AMD Athlon (Slot A, 18um)"},
    {6, 3, kAnyStepping, "AMD Duron"},
    {6, 4, kAnyStepping, "AMD Athlon"},
};

// Cyrix family 6 is told apart by the low byte of the revision (the
// stepping field), not by the model.
const Row kCyrix[] = {
    {5, 4, kAnyStepping, "Cyrix GXm"},
    {5, kAny, kAnyStepping, "Cyrix 6x86"},
    {6, kAny, steppings({0}), "Cyrix 6x86 M II"},
    {6, kAny, steppings({5}), "VIA Cyrix III (Joshua)"},
};

template <size_t N>
const char* lookUp(const Row (&table)[N], int family, int model, int stepping) {
    for (const Row& row : table) {
        if (row.family != family) continue;
        if (row.model != kAny && row.model != model) continue;
        if (row.steps != kAnyStepping) {
            if (stepping < 0 || stepping > 31 || !(row.steps & (1u << stepping))) continue;
        }
        return row.name;
    }
    return nullptr;
}

}   // namespace

String processorNameFor(const String& vendor, int family, int revision) {
    const int model = (revision >> 8) & 0xFF;
    const int stepping = revision & 0xFF;
    if (vendor.find("Intel") >= 0) {
        const char* name = lookUp(kIntel, family, model, stepping);
        return name ? String(name) : String("Intel");
    }
    if (vendor.find("AMD") >= 0) {
        const char* name = lookUp(kAmd, family, model, stepping);
        return name ? String(name) : String("AMD");
    }
    if (vendor.find("Cyrix") >= 0) {
        const char* name = lookUp(kCyrix, family, model, stepping);
        return name ? String(name) : vendor;
    }
    return vendor;
}

String cpuVendorString() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    // __get_cpuid checks the EFLAGS ID bit first, so a 486 without CPUID
    // gives "" instead of an invalid-opcode fault.
    if (!__get_cpuid(0, &a, &b, &c, &d)) return String();
    char text[13];
    std::memcpy(text, &b, 4);
    std::memcpy(text + 4, &d, 4);
    std::memcpy(text + 8, &c, 4);
    text[12] = 0;
    return String(text);
}

String cpuBrandString() {
    char text[49] = {};
    for (unsigned i = 0; i < 3; ++i) {
        unsigned r[4] = {};
        if (!__get_cpuid(0x80000002u + i, &r[0], &r[1], &r[2], &r[3])) return String();
        std::memcpy(text + 16 * i, r, 16);
    }
    text[48] = 0;
    return String(text);
}

int64_t cpuClockFromCounts(int64_t tscCycles, int64_t counterFrequency, int64_t counterTicks,
                           int64_t divisor) {
    if (counterFrequency <= 0 || counterTicks <= 0 || divisor <= 0 || tscCycles <= 0) return 0;
    // In long double (64-bit mantissa on x86): cycles times the counter's
    // frequency overflows 63 bits once the performance counter runs at the
    // processor's own clock (3 GHz over one second is 9e18), and the result
    // in Hz needs far fewer digits than the mantissa holds.
    const long double hz = static_cast<long double>(tscCycles) * counterFrequency / counterTicks;
    // Time-stamp counters out of step between processors, or a thread moved
    // while measuring, give nonsense: no clock rather than a wrong one.
    if (hz > maxPlausibleClockHz) return 0;
    return static_cast<int64_t>(hz / divisor + 0.5L);
}
