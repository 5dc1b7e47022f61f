#ifdef _WIN32
#include "foundation/Win32.h"
#endif

#include <gtest/gtest.h>

#include "inventory/ProcessorName.h"

namespace {

struct NameCase {
    const char* vendor;
    int family;
    int revision;   // model << 8 | stepping
    const char* expected;
};

// Every row of the three tables (each stepping set hit at its edges), the
// fallbacks, and the cases that show row order and the Cyrix stepping rule.
const NameCase kNameCases[] = {
    // Intel
    {"GenuineIntel", 5, 0x0000, "Early Pentium"},
    {"GenuineIntel", 5, 0x00FF, "Early Pentium"},
    {"GenuineIntel", 5, 0x0103, "Pentium 5V (FDIV)"},
    {"GenuineIntel", 5, 0x0105, "Pentium 5V (FDIV)"},
    {"GenuineIntel", 5, 0x0104, "Intel"},
    {"GenuineIntel", 5, 0x0107, "Pentium 5V"},
    {"GenuineIntel", 5, 0x010A, "Pentium (P5 overdrive - 120/133 MHz)"},
    {"GenuineIntel", 5, 0x0201, "Pentium 3.5 V (FDIV)"},
    {"GenuineIntel", 5, 0x0202, "Pentium 3.5 V (FDIV)"},
    {"GenuineIntel", 5, 0x0203, "Intel"},
    {"GenuineIntel", 5, 0x0204, "Pentium 3.5 V"},
    {"GenuineIntel", 5, 0x0206, "Pentium 3.5 V"},
    {"GenuineIntel", 5, 0x0207, "Intel"},
    {"GenuineIntel", 5, 0x020B, "Pentium 3.5 V"},
    {"GenuineIntel", 5, 0x020C, "Pentium 3.5 V"},
    {"GenuineIntel", 5, 0x0301, "Pentium (486 overdrive 1.x)"},
    {"GenuineIntel", 5, 0x0302, "Pentium (486 overdrive 2.x)"},
    {"GenuineIntel", 5, 0x0403, "Pentium MMX"},
    {"GenuineIntel", 5, 0x0404, "Pentium MMX"},
    {"GenuineIntel", 5, 0x0700, "Pentium P54C (mA4)"},
    {"GenuineIntel", 5, 0x0701, "Intel"},
    {"GenuineIntel", 5, 0x0809, "Pentium MMX (low voltage)"},
    {"GenuineIntel", 6, 0x0007, "Pentium Pro A"},
    {"GenuineIntel", 6, 0x0101, "Pentium Pro (regular)"},
    {"GenuineIntel", 6, 0x0109, "Pentium Pro (regular)"},
    {"GenuineIntel", 6, 0x0103, "Intel"},
    {"GenuineIntel", 6, 0x0302, "Pentium II (Pentium Pro overdrive)"},
    {"GenuineIntel", 6, 0x0303, "Pentium II (Klamath)"},
    {"GenuineIntel", 6, 0x0304, "Pentium II (Klamath)"},
    {"GenuineIntel", 6, 0x0500, "Pentium II"},
    {"GenuineIntel", 6, 0x0503, "Pentium II"},
    {"GenuineIntel", 6, 0x0504, "Intel"},
    {"GenuineIntel", 6, 0x0600, "Pentium II"},
    {"GenuineIntel", 6, 0x060A, "Pentium II"},
    {"GenuineIntel", 6, 0x0601, "Intel"},
    {"GenuineIntel", 6, 0x0702, "Pentium II (Katmai)"},
    {"GenuineIntel", 6, 0x0703, "Pentium II (Katmai)"},
    {"GenuineIntel", 6, 0x0801, "Pentium III (Coppermine)"},
    {"GenuineIntel", 6, 0x0806, "Pentium III (Coppermine)"},
    {"GenuineIntel", 6, 0x0A04, "Pentium III (Cascades)"},
    {"GenuineIntel", 6, 0x0F06, "Intel"},
    {"GenuineIntel", 15, 0x0207, "Pentium 4 (Willamette)"},
    {"GenuineIntel", 4, 0x0000, "Intel"},
    // Stepping 32 and above can only match an "any" cell.
    {"GenuineIntel", 5, 0x0121, "Intel"},
    // AMD
    {"AuthenticAMD", 5, 0x0000, "AMD K5"},
    {"AuthenticAMD", 5, 0x0001, "AMD K5"},
    {"AuthenticAMD", 5, 0x0002, "AMD"},
    {"AuthenticAMD", 5, 0x0101, "AMD K5"},
    {"AuthenticAMD", 5, 0x0104, "AMD K5"},
    {"AuthenticAMD", 5, 0x0103, "AMD"},
    {"AuthenticAMD", 5, 0x0204, "AMD K5"},
    {"AuthenticAMD", 5, 0x0304, "AMD K5"},
    {"AuthenticAMD", 5, 0x0601, "AMD K6"},
    {"AuthenticAMD", 5, 0x0602, "AMD K6"},
    {"AuthenticAMD", 5, 0x0700, "AMD K6"},
    {"AuthenticAMD", 5, 0x0800, "AMD K6-2"},
    {"AuthenticAMD", 5, 0x0901, "AMD K6-III"},
    {"AuthenticAMD", 5, 0x0D07, "AMD K6-2+ or K6-III+"},
    {"AuthenticAMD", 6, 0x0102, "AMD Athlon (Slot A, 25um)"},
    {"AuthenticAMD", 6, 0x0201, "AMD Athlon (Slot A, 18um)"},
    {"AuthenticAMD", 6, 0x0301, "AMD Duron"},
    {"AuthenticAMD", 6, 0x0402, "AMD Athlon"},
    {"AuthenticAMD", 15, 0x0402, "AMD"},
    // Cyrix: family 6 is decided by the low byte, whatever the model.
    {"CyrixInstead", 5, 0x0402, "Cyrix GXm"},
    {"CyrixInstead", 5, 0x0200, "Cyrix 6x86"},
    {"CyrixInstead", 6, 0x0500, "Cyrix 6x86 M II"},
    {"CyrixInstead", 6, 0x0005, "VIA Cyrix III (Joshua)"},
    {"CyrixInstead", 6, 0x0501, "CyrixInstead"},
    {"CyrixInstead", 4, 0x0000, "CyrixInstead"},
    // Substring search in the order Intel, AMD, Cyrix; anything else unchanged.
    {"AMD or Intel", 6, 0x0806, "Pentium III (Coppermine)"},
    {"xxAMDxx", 6, 0x0400, "AMD Athlon"},
    {"CentaurHauls", 6, 0x0806, "CentaurHauls"},
    {"genuineintel", 6, 0x0806, "genuineintel"},
    {"", 6, 0x0806, ""},
};

TEST(ProcessorName, DecisionTables) {
    for (const NameCase& c : kNameCases) {
        SCOPED_TRACE(::testing::Message()
                     << c.vendor << " family " << c.family << " revision 0x" << std::hex << c.revision);
        EXPECT_STREQ(c.expected, processorNameFor(c.vendor, c.family, c.revision).c_str());
    }
}

TEST(ProcessorName, ClockFromCountsNeverDividesByZero) {
    struct Case {
        int64_t cycles, frequency, ticks, divisor, expected;
    } cases[] = {
        {2000000000, 10000000, 10000000, 1000000, 2000},   // 2 GHz over 1 s
        {199999999, 3579545, 357954, 1000000, 2000},       // ACPI timer, 100 ms
        {1500000, 1000, 1000, 1000000, 2},                 // 1.5 rounds up
        {1499999, 1000, 1000, 1000000, 1},
        {1000, 0, 1000, 1, 0},                           // no performance counter
        {1000, 1000, 0, 1, 0},                           // counter did not move
        {1000, 1000, 1000, 0, 0},                        // no divisor
        {-1700000000, 10000000, 10000000, 1000000, 0},   // counters out of step: no clock, not -1700 MHz
        {0, 10000000, 10000000, 1000000, 0},
        {4000000000, 4000000000, 4000000000, 1000000,
         4000},   // counter at the processor's clock: 1.6e19 overflows 63 bits
        {INT64_MAX / 2, INT64_MAX / 4, INT64_MAX / 4, 1, 0},   // absurd: far beyond any processor
        {300000000, 10000000, 100000, 1, 30000000000},         // 30 GHz in Hz, still plausible
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.cycles << " cycles, " << c.ticks << " of " << c.frequency
                                          << " Hz, divisor " << c.divisor);
        EXPECT_EQ(c.expected, cpuClockFromCounts(c.cycles, c.frequency, c.ticks, c.divisor));
    }
}

TEST(ProcessorName, CpuidStrings) {
    // Every processor this runs on has CPUID and (since 2000) the brand leaves.
    const String vendor = cpuVendorString();
    EXPECT_EQ(12u, vendor.length()) << vendor.c_str();
    EXPECT_LE(cpuBrandString().length(), 48u);
    EXPECT_NE(0u, cpuBrandString().length());
}

#ifdef _WIN32
TEST(ProcessorName, QueriesFillWhatTheCallerLeavesOut) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_STREQ("VIA Cyrix III (Joshua)", processorName("CyrixInstead", 6, 0x0005).c_str());
    EXPECT_STREQ(processorNameFor(cpuVendorString(), 6, 0x0806).c_str(),
                 processorName("", 6, 0x0806).c_str());
    EXPECT_STREQ(processorNameFor(cpuVendorString(), info.wProcessorLevel, info.wProcessorRevision).c_str(),
                 processorName().c_str());
}

TEST(ProcessorName, ClockMeasurement) {
    const int64_t megahertz = measureCpuClock(1000000, 50);
    EXPECT_GT(megahertz, 100);
    EXPECT_LT(megahertz, 10000);
    // The same interval in kHz agrees with it to within a few percent.
    const int64_t kilohertz = measureCpuClock(1000, 50);
    EXPECT_NEAR((double)kilohertz / 1000.0, (double)megahertz, megahertz * 0.1);
}
#endif

}   // namespace
