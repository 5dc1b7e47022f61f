#include "receiver/EepromDecode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using Image = uint8_t[kEepromImageSize];

void put16(Image& e, size_t offset, uint32_t v) {
    e[offset] = uint8_t(v);
    e[offset + 1] = uint8_t(v >> 8);
}

void put32(Image& e, size_t offset, uint32_t v) {
    put16(e, offset, v);
    put16(e, offset + 2, v >> 16);
}

void putBytes(Image& e, size_t offset, const char* bytes, size_t n) { std::memcpy(e + offset, bytes, n); }

std::string joined(const std::vector<String>& lines) {
    std::string text;
    for (const String& line : lines) text += std::string(line.c_str()) + "\n";
    return text;
}

// The line that starts with label, or "<missing>".
std::string lineFor(const std::vector<String>& lines, const std::string& label) {
    for (const String& line : lines)
        if (std::string(line.c_str()).compare(0, label.size(), label) == 0) return line.c_str();
    return "<missing>";
}

// A table of a real-looking receiver, every field distinct, so that a field
// read from the wrong offset or printed in the wrong place shows.
void fillTypical(Image& e) {
    std::memset(e, 0, sizeof e);
    putBytes(e, 0, "ZN-Q8 SW receiver 9 kHz to 30 MHz", 33);
    put16(e, 64, 3);
    put16(e, 66, 0xbeef);   // not printed
    put32(e, 68, 9000);
    put32(e, 72, 30000000);
    put32(e, 76, 45000000);
    put32(e, 80, 10000000);
    put32(e, 84, 40000000);
    for (uint32_t k = 0; k < 24; ++k) put32(e, 88 + 4 * k, 1000000 * (k + 1) + k * 250000);
    putBytes(e, 184, "\x80\x7f\x82\x7c\x90\x88\x00\xff", 8);
    putBytes(e, 192, "ZN-Q8\0\0\0", 8);
    putBytes(e, 200, "Q8201401", 8);
    for (uint32_t k = 0; k < 4; ++k) {
        put32(e, 208 + 4 * k, 10000000 + k);
        put16(e, 224 + 2 * k, 10 + k);
        e[232 + k] = uint8_t(4 + k);
    }
    e[236] = 2;
    e[237] = 5;
    e[238] = 7;
    e[239] = 9;
    put16(e, 240, 220);
    put16(e, 242, 1100);
    put16(e, 244, 3400);
    put16(e, 246, 0xfff6);
    put16(e, 248, 0xffe5);
    put16(e, 250, 512);
    put16(e, 252, 18);
    put16(e, 254, 498);
}

TEST(EepromDecode, TypicalTableInPrintOrder) {
    Image e;
    fillTypical(e);
    // Description rows: 9 blanks, 16 hex digits, TAB, the text up to its first
    // zero (rows of zeros end with the TAB).
    std::string want =
        "   Radio description: \n"
        "         5a4e2d5138205357\tZN-Q8 SW\n"
        "         2072656365697665\t receive\n"
        "         722039206b487a20\tr 9 kHz \n"
        "         746f203330204d48\tto 30 MH\n"
        "         7a00000000000000\tz\n"
        "         0000000000000000\t\n"
        "         0000000000000000\t\n"
        "         0000000000000000\t\n"
        "   Table layout version: 3\n"
        // The band and VCO edges come before the limits that precede them in
        // the table; the line ends with a blank.
        "   Band&VCO freqs: 1 2.25 3.5 4.75 6 7.25 8.5 9.75 11 12.25 13.5 14.75 16 17.25 "
        "18.5 19.75 21 22.25 23.5 24.75 26 27.25 28.5 29.75 \n"
        "   Min freq: 9000\n"
        "   Max freq: 30000000\n"
        "   IF1 freq: 45000000\n"
        "   Ref1: 10000000\n"
        "   Ref2: 40000000\n"
        "   Default DAC values: 807f827c908800ff\n"
        "   Model name: ZN-Q8\n"
        "   Serial number: Q8201401\n"
        "   Ref clock #0: 10000000\n"
        "   Ref clock #1: 10000001\n"
        "   Ref clock #2: 10000002\n"
        "   Ref clock #3: 10000003\n"
        "   Ref DIV #0: 10\n"
        "   Ref DIV #1: 11\n"
        "   Ref DIV #2: 12\n"
        "   Ref DIV #3: 13\n"
        "   P bits #0: 4\n"
        "   P bits #1: 5\n"
        "   P bits #2: 6\n"
        "   P bits #3: 7\n"
        "   RSSI type: 2\n"
        "   RSSI flags: 5\n"
        "   Spare: 7 9\n"
        "   AGC start: 220\n"
        "   AGC mid: 1100\n"
        "   AGC end: 3400\n"
        "   Drop level: -10\n"
        "   RSSI top: -27\n"
        "   RSSI ref: 512\n"
        "   RX Gain: 18\n"
        "   RSSI ref2: 498\n";
    EXPECT_EQ(want, joined(decodeEeprom(e)));
}

// One stored field changed on the typical table, and the line it must give.
TEST(EepromDecode, FieldValues) {
    struct Case {
        const char* name;
        size_t offset;
        const char* bytes;
        size_t size;
        const char* label;
        const char* line;
    };
    const Case cases[] = {
        {"text of 8 non-zero bytes, no terminator", 192, "ABCDEFGH", 8,
         "   Model name: ", "   Model name: ABCDEFGH"},
        {"text starting with a zero", 200, "\0Q820140", 8, "   Serial number: ", "   Serial number: "},
        {"control characters shown as points", 200,
         "Q8\r\n\t1\x7f"
         "2",
         8, "   Serial number: ", "   Serial number: Q8...1.2"},
        {"high ANSI characters kept", 192, "Z\xe9N\xfc\0\0\0\0", 8,
         "   Model name: ", "   Model name: Z\xe9N\xfc"},
        {"drop level 0xfff6 is signed", 246, "\xf6\xff", 2, "   Drop level: ", "   Drop level: -10"},
        {"drop level 0x8000 is the most negative", 246, "\x00\x80", 2,
         "   Drop level: ", "   Drop level: -32768"},
        {"RSSI top 0x7fff", 248, "\xff\x7f", 2, "   RSSI top: ", "   RSSI top: 32767"},
        {"AGC start 0xfff6 is unsigned", 240, "\xf6\xff", 2, "   AGC start: ", "   AGC start: 65526"},
        {"RSSI ref2 0xffff", 254, "\xff\xff", 2, "   RSSI ref2: ", "   RSSI ref2: 65535"},
        {"min freq all ones is unsigned", 68, "\xff\xff\xff\xff", 4,
         "   Min freq: ", "   Min freq: 4294967295"},
        {"ref clock #3 little-endian", 220, "\x01\x02\x03\x04", 4,
         "   Ref clock #3: ", "   Ref clock #3: 67305985"},
        {"ref DIV #2 little-endian", 228, "\x34\x12", 2, "   Ref DIV #2: ", "   Ref DIV #2: 4660"},
        {"P bits #3 byte", 235, "\xff", 1, "   P bits #3: ", "   P bits #3: 255"},
        {"spare bytes unsigned", 238, "\x80\xff", 2, "   Spare: ", "   Spare: 128 255"},
        {"DAC values lower-case hex with leading zeros", 184, "\x00\x01\xab\xcd\xef\x10\x0f\xf0", 8,
         "   Default DAC values: ", "   Default DAC values: 0001abcdef100ff0"},
        {"description row all non-zero", 56, "\x01zyxwvu\xff", 8, "         01",
         "         017a7978777675ff\t.zyxwvu\xff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image e;
        fillTypical(e);
        putBytes(e, c.offset, c.bytes, c.size);
        EXPECT_EQ(c.line, lineFor(decodeEeprom(e), c.label));
    }
}

// Hz to MHz: exact, at most six decimals, no trailing zeros, no bare point.
TEST(EepromDecode, BandAndVcoValues) {
    struct Case {
        uint32_t hz;
        const char* text;
    };
    const Case cases[] = {
        {30000000, "30"},
        {1500000, "1.5"},
        {123, "0.000123"},
        {0, "0"},
        {4294967295u, "4294.967295"},
        {1, "0.000001"},
        {999999, "0.999999"},
        {1000000, "1"},
        {10000010, "10.00001"},
        {45009000, "45.009"},
    };
    Image e;
    fillTypical(e);
    std::string want = "   Band&VCO freqs: ";
    for (size_t k = 0; k < 24; ++k) {
        const Case& c = cases[k % (sizeof cases / sizeof cases[0])];
        put32(e, 88 + 4 * k, c.hz);
        want += std::string(c.text) + " ";
    }
    EXPECT_EQ(want, lineFor(decodeEeprom(e), "   Band&VCO freqs: "));
}

// Every byte pattern decodes to the same 42 lines without reading past the
// image (the sanitizer build checks the reads).
TEST(EepromDecode, AnyBytesGiveTheSameLineCount) {
    const uint8_t fills[] = {0x00, 0xff, 0x0a, 0x80};
    for (uint8_t fill : fills) {
        SCOPED_TRACE(int(fill));
        Image e;
        std::memset(e, fill, sizeof e);
        std::vector<String> lines = decodeEeprom(e);
        ASSERT_EQ(42u, lines.size());
        for (const String& line : lines) EXPECT_EQ(nullptr, std::strpbrk(line.c_str(), "\r\n"));
    }
}

TEST(EepromDecode, DeviceTextIsBoundedWithoutTerminator) {
    const char bytes[] = {'a', 'b', 'c', 'd'};   // no zero anywhere
    EXPECT_STREQ("abc", deviceText(bytes, 3).c_str());
    EXPECT_STREQ("ab", deviceText("ab\0cd", 5).c_str());
    EXPECT_STREQ("", deviceText(bytes, 0).c_str());
}

}   // namespace
