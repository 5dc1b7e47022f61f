#include "foundation/String.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

// ---- number formatting -------------------------------------------------

TEST(StringFormat, Decimal) {
    struct Row {
        int64_t value;
        const char* text;
    } rows[] = {
        {0, "0"},
        {7, "7"},
        {-5, "-5"},
        {1000000, "1000000"},
        {INT64_MAX, "9223372036854775807"},
        {INT64_MIN, "-9223372036854775808"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_STREQ(String::decimal(r.value).c_str(), r.text);
    }
}

TEST(StringFormat, HexWithMinimumDigits) {
    struct Row {
        uint64_t value;
        unsigned minDigits;
        const char* text;
    } rows[] = {
        {255, 0, "ff"},
        {5, 2, "05"},
        {0x1234, 2, "1234"},
        {0, 0, "0"},
        {0, 4, "0000"},
        {0xABCDEF, 0, "abcdef"},
        {0x10, 1, "10"},
        {0x100000000ull, 0, "100000000"},
        {UINT64_MAX, 0, "ffffffffffffffff"},
        {1, 20, "0000000000000001"},   // sixteen nibbles are all there is
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_STREQ(String::hex(r.value, r.minDigits).c_str(), r.text);
    }
}

TEST(StringFormat, ParseInteger) {
    struct Row {
        const char* text;
        bool hex;
        int32_t value;
    } rows[] = {
        {"123", false, 123}, {"-7", false, -7}, {"  42", false, 42},    {"12abc", false, 12},
        {"ff", true, 255},   {"1A", true, 26},  {"ffffffff", true, -1}, {"10", true, 16},
        {"", false, 0},      {"zz", false, 0},  {"zz", true, 0},        {nullptr, false, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text ? r.text : "(null)");
        EXPECT_EQ(String::parseInteger(r.text, r.hex), r.value);
    }
}

TEST(StringFormat, FixedPoint) {
    struct Row {
        double value;
        unsigned minDecimals, extra;
        bool plus;
        const char* text;
    } rows[] = {
        {4.5, 3, 0, false, "4.500"},
        {0.5, 3, 0, false, "0.500"},
        {2.5, 0, 2, false, "2.5"},
        {2.0, 0, 2, false, "2"},
        {-0.25, 3, 0, false, "-0.250"},
        {0.0, 3, 0, false, "0.000"},
        {0.0, 0, 0, false, "0"},
        {1.5, 1, 0, true, "+1.5"},
        {0.0, 0, 0, true, "+0"},
        {-3.0, 0, 0, true, "-3"},
        {0.05, 0, 2, false, "0.05"},
        {0.001234, 0, 4, false, "0.0012"},
        {1234.5678, 1, 2, false, "1234.568"},
        {12.0, 2, 3, false, "12.00"},
        {0.9996, 3, 0, false, "1.000"},
        // Exact binary halves round away from zero, not to even.
        {2.5, 0, 0, false, "3"},
        {0.125, 2, 0, false, "0.13"},
        {-0.125, 2, 0, false, "-0.13"},
        {0.5, 0, 0, false, "1"},
        // The exact binary value is what gets rounded, at any size.
        {0.1, 0, 20, false, "0.10000000000000000555"},
        {1e20, 3, 0, false, "100000000000000000000.000"},
        {1180591620717411303424.0, 0, 0, false, "1180591620717411303424"},
        {123456789.987654321, 6, 0, false, "123456789.987654"},
        {1e-300, 3, 0, false, "0.000"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_STREQ(String::fixedPoint(r.value, r.minDecimals, r.extra, r.plus).c_str(), r.text);
    }
}

TEST(StringFormat, UnitPattern) {
    struct Row {
        int64_t value;
        const char* pattern;
        bool hex;
        const char* text;
    } rows[] = {
        {1023, "g1024m1024k1024", false, "1023"},
        {1024, "g1024m1024k1024", false, "1k0"},
        {1536, "g1024m1024k1024", false, "1k512"},
        {5000000000, "g1024m1024k1024", false, "4g672m380k512"},
        {0, "g1024m1024k1024", false, "0"},
        {1048576, "g1024m1024k1024", false, "1m0k0"},
        {2199023255552, "g1024m1024k1024", false, "2048g0m0k0"},   // above the top radix
        {3725, "h060m060s", false, "1h02m05s"},
        {59, "h060m060s", false, "59s"},
        {3600, "h060m060s", false, "1h00m00s"},
        {360000, "h060m060s", false, "100h00m00s"},
        // A leading radix is a modulus: the high part is dropped.
        {7325, "60m60s", false, "2m5s"},
        {7325 + 3600, "060m060s", false, "02m05s"},
        {0x123, "k10", true, "12k3"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_STREQ(String::unitPattern(r.value, r.pattern, r.hex).c_str(), r.text);
    }
    EXPECT_STREQ(sizeText(1536).c_str(), "1k512");
}

TEST(StringFormat, HexDump) {
    const unsigned char bytes[] = {0x01, 0x02, 0x03, 0x04, 0xab};
    struct Row {
        size_t length;
        unsigned group;
        const char* text;
    } rows[] = {
        {4, 2, "0102 0304 "},      {4, 0, "01020304"}, {4, 3, "010203 04"},
        {5, 1, "01 02 03 04 ab "}, {0, 2, ""},         {1, 4, "01"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        String dump = String::hexDump(bytes, r.length, r.group);
        EXPECT_STREQ(dump.c_str(), r.text);
        EXPECT_EQ(dump.length(), std::strlen(r.text));
    }
}

// ---- block sharing and capacity ----------------------------------------

TEST(StringSharing, ChangesToACopyLeaveTheOriginal) {
    struct Row {
        const char* name;
        void (*change)(String&);
        const char* changed;
    } rows[] = {
        {"append string", [](String& s) { s += String("!"); }, "report!"},
        {"append text", [](String& s) { s += "ed"; }, "reported"},
        {"append char", [](String& s) { s += 'X'; }, "reportX"},
        {"index write", [](String& s) { s[0] = 'R'; }, "Report"},
        {"buffer write", [](String& s) { s.buffer()[1] = 'E'; }, "rEport"},
        {"delete first", [](String& s) { s.deleteFirst(2); }, "port"},
        {"pad", [](String& s) { s.padRight(8); }, "report  "},
        {"assign text", [](String& s) { s = "other"; }, "other"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        String original("report");
        String copy(original);
        EXPECT_EQ(original.referenceCount(), 2);
        EXPECT_EQ(original.c_str(), copy.c_str());   // one shared block
        r.change(copy);
        EXPECT_STREQ(original.c_str(), "report");
        EXPECT_STREQ(copy.c_str(), r.changed);
        EXPECT_EQ(original.referenceCount(), 1);
        EXPECT_EQ(copy.referenceCount(), 1);
    }
}

TEST(StringSharing, AssignmentReleasesTheOldBlock) {
    String a("alpha");
    String b("beta");
    String keep(b);
    EXPECT_EQ(b.referenceCount(), 2);
    b = a;
    EXPECT_EQ(keep.referenceCount(), 1);   // b let go of "beta"
    EXPECT_EQ(a.referenceCount(), 2);
    b = b;   // self-assignment keeps the block alive
    EXPECT_STREQ(b.c_str(), "alpha");
    EXPECT_EQ(a.referenceCount(), 2);
    {
        String c(a);
        EXPECT_EQ(a.referenceCount(), 3);
    }
    EXPECT_EQ(a.referenceCount(), 2);
    b = b.c_str();   // text from its own (shared) block
    EXPECT_STREQ(b.c_str(), "alpha");
    EXPECT_EQ(a.referenceCount(), 1);
}

TEST(StringSharing, AppendingOwnTextIsSafe) {
    String s("ab");
    s += s;
    EXPECT_STREQ(s.c_str(), "abab");
    s += s.c_str() + 1;
    EXPECT_STREQ(s.c_str(), "ababbab");
}

TEST(StringCapacity, Rules) {
    struct Row {
        const char* name;
        String s;
        size_t length, capacity;
    } rows[] = {
        {"empty", String(), 0, 1},
        {"null text", String(static_cast<const char*>(nullptr)), 0, 1},
        {"text", String("abc"), 3, 4},
        {"pointer and length", String("abcdef", 2), 2, 3},
        {"repeated char", String('-', 10), 10, 11},
        {"reserved 0", String::reserved(0), 0, 17},
        {"reserved 15", String::reserved(15), 0, 17},
        {"reserved 16", String::reserved(16), 0, 17},
        {"reserved 40", String::reserved(40), 0, 41},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.s.length(), r.length);
        EXPECT_EQ(r.s.capacity(), r.capacity);
        EXPECT_EQ(r.s.c_str()[r.length], '\0');
    }
}

TEST(StringCapacity, AppendGrowsToExactlyWhatIsNeeded) {
    String s("abc");
    s += "de";
    EXPECT_EQ(s.capacity(), 6u);   // no growth reserve
    s += 'f';
    EXPECT_EQ(s.capacity(), 7u);

    String roomy = String::reserved(20);   // a private block with room is kept
    roomy += "xyz";
    EXPECT_EQ(roomy.capacity(), 21u);
    EXPECT_STREQ(roomy.c_str(), "xyz");

    String shared(roomy);   // a shared block: copied at the needed size
    shared += "w";
    EXPECT_EQ(shared.capacity(), 5u);
    EXPECT_EQ(roomy.capacity(), 21u);

    String sum = String("ab") + String("cde");
    EXPECT_STREQ(sum.c_str(), "abcde");
    EXPECT_EQ(sum.capacity(), 6u);
    EXPECT_STREQ((String("x") + "yz").c_str(), "xyz");
    EXPECT_STREQ(("pre" + String("fix")).c_str(), "prefix");
}

TEST(StringAccess, IndexBeyondCapacityYieldsDummy) {
    String s("abc");
    const String& cs = s;
    EXPECT_EQ(cs[1], 'b');
    EXPECT_EQ(cs[3], '\0');   // the terminator is inside the capacity
    EXPECT_EQ(cs[4], '\0');
    EXPECT_EQ(cs[1000], '\0');
    EXPECT_EQ(cs[-1], '\0');   // negative indexes are out of range too
    char& far = s[1000];
    EXPECT_NE(&far, s.c_str() + 1000);
    EXPECT_STREQ(s.c_str(), "abc");
}

TEST(StringAccess, RecomputeLengthAfterSystemWrite) {
    String s = String::reserved(32);
    std::strcpy(s.buffer(), "C:\\WINDOWS");
    EXPECT_EQ(s.length(), 0u);
    s.recomputeLength();
    EXPECT_EQ(s.length(), 10u);
    EXPECT_TRUE(s == "C:\\WINDOWS");

    String embedded("ab\0cd", 5);   // a zero byte inside ends the text early
    EXPECT_EQ(embedded.recomputeLength().length(), 2u);
}

// ---- comparison, search, slicing ---------------------------------------

TEST(StringCompare, ByteOrder) {
    struct Row {
        const char* a;
        const char* b;
        int sign;
    } rows[] = {
        {"A", "B", -1}, {"B", "a", -1}, {"a", "a", 0},    {"ab", "a", 1},
        {"", "", 0},    {"", "x", -1},  {"\xe4", "z", 1},   // bytes compare unsigned
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.a) + " vs " + r.b);
        String a(r.a), b(r.b);
        auto sign = [](int v) { return (v > 0) - (v < 0); };
        EXPECT_EQ(sign(a.compare(b)), r.sign);
        EXPECT_EQ(sign(a.compare(r.b)), r.sign);
        EXPECT_EQ(a == b, r.sign == 0);
        EXPECT_EQ(a == r.b, r.sign == 0);
        EXPECT_EQ(a < b, r.sign < 0);
        EXPECT_EQ(a > b, r.sign > 0);
        EXPECT_EQ(a <= b, r.sign <= 0);
        EXPECT_EQ(a >= b, r.sign >= 0);
    }
    EXPECT_TRUE(String() == "");
    EXPECT_TRUE(String() == static_cast<const char*>(nullptr));
}

TEST(StringSearch, FindAndSubstring) {
    String s("abcabc");
    struct Find {
        const char* text;
        size_t start;
        int index;
    } finds[] = {
        {"bc", 0, 1}, {"bc", 2, 4}, {"bc", 5, -1}, {"x", 0, -1}, {"abc", 0, 0}, {"c", 6, -1}, {"a", 100, -1},
    };
    for (const Find& f : finds) {
        SCOPED_TRACE(std::string(f.text) + " from " + std::to_string(f.start));
        EXPECT_EQ(s.find(f.text, f.start), f.index);
    }
    struct Sub {
        size_t start, count;
        const char* text;
    } subs[] = {
        {0, 3, "abc"}, {4, 100, "bc"}, {6, 1, ""}, {100, 1, ""}, {2, 0, ""}, {1, (size_t)-1, "bcabc"},
    };
    for (const Sub& u : subs) {
        SCOPED_TRACE(u.text);
        EXPECT_STREQ(s.substring(u.start, u.count).c_str(), u.text);
    }
}

TEST(StringEdit, InPlaceEdits) {
    struct Row {
        const char* name;
        const char* input;
        String (*edit)(String);
        const char* output;
    } rows[] = {
        {"delete 2", "abcd", [](String s) { return s.deleteFirst(2); }, "cd"},
        {"delete all+", "abcd", [](String s) { return s.deleteFirst(10); }, ""},
        {"trim", " \t ab c\r\n", [](String s) { return s.trim(); }, "ab c"},
        {"trim spaces only", "    ", [](String s) { return s.trim(); }, ""},
        {"trim controls", "\x01x\x1f", [](String s) { return s.trim(); }, "x"},
        {"trim keeps high bytes", "\xa0x\xa0", [](String s) { return s.trim(); }, "\xa0x\xa0"},
        {"pad", "ab", [](String s) { return s.padRight(5); }, "ab   "},
        {"pad shorter", "abcdef", [](String s) { return s.padRight(3); }, "abcdef"},
        {"upper", "Ab1z\xe4", [](String s) { return s.upperCase(); }, "AB1Z\xe4"},
        {"lower", "Ab1Z\xc4", [](String s) { return s.lowerCase(); }, "ab1z\xc4"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        String result = r.edit(String(r.input));
        EXPECT_STREQ(result.c_str(), r.output);
        EXPECT_EQ(result.length(), std::strlen(r.output));
    }
    String s("  x  ");
    EXPECT_EQ(&s.trim(), &s);   // trims in place and returns itself
    EXPECT_STREQ(s.c_str(), "x");
}

TEST(StringPath, Parts) {
    struct Row {
        const char* path;
        const char* directory;
        const char* file;
        const char* extension;
    } rows[] = {
        {"C:\\Windows\\system32\\kernel32.dll", "C:\\Windows\\system32", "kernel32.dll", "dll"},
        {"readme.txt", "", "readme.txt", "txt"},
        {"C:\\Program Files\\Tool v1.2\\README", "C:\\Program Files\\Tool v1.2", "README", "2\\README"},
        {"C:\\dir\\", "C:\\dir", "", ""},
        {"archive.tar.gz", "", "archive.tar.gz", "gz"},
        {"C:\\dir\\file.", "C:\\dir", "file.", ""},
        {"", "", "", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        String p(r.path);
        EXPECT_STREQ(p.directoryPart().c_str(), r.directory);
        EXPECT_STREQ(p.fileNamePart().c_str(), r.file);
        EXPECT_STREQ(p.extension().c_str(), r.extension);
    }
}

#ifndef _WIN32
// A block the 32-bit fields cannot describe, or whose size would wrap around
// in the allocation, ends the process rather than handing out a small buffer.
// (The Windows build raises STATUS_NO_MEMORY instead; the program test sees
// the crash handler's box for it.)
TEST(StringDeathTest, ImpossibleSizesEndTheProcess) {
    EXPECT_DEATH(String::reserved(static_cast<size_t>(-1)), "");
    EXPECT_DEATH(String::reserved(0x80000000u), "");
    EXPECT_DEATH(String('x', 0x80000000u), "");
    EXPECT_DEATH(String("a").reserve(static_cast<size_t>(-1)), "");
}
#endif

}   // namespace
