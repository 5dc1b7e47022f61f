#include "receiver/EepromDecode.h"

namespace {

// Multi-byte fields are little-endian whatever the host; assembled byte by
// byte so the decode needs no alignment and reads nothing past the image.
uint32_t u16(const uint8_t* image, size_t offset) {
    return uint32_t(image[offset]) | uint32_t(image[offset + 1]) << 8;
}

int32_t s16(const uint8_t* image, size_t offset) { return int16_t(uint16_t(u16(image, offset))); }

uint32_t u32(const uint8_t* image, size_t offset) {
    return u16(image, offset) | u16(image, offset + 2) << 16;
}

String text8(const uint8_t* image, size_t offset) {
    return deviceText(reinterpret_cast<const char*>(image + offset), 8);
}

// A frequency in Hz as megahertz: exact decimal arithmetic instead of a
// double, so 4294967295 gives 4294.967295 on every compiler.  Trailing zeros
// and a bare decimal point are dropped (30000000 -> 30, 1500000 -> 1.5).
String megahertz(uint32_t hz) {
    String text = String::decimal(hz / 1000000);
    uint32_t fraction = hz % 1000000;
    if (fraction == 0) return text;
    char digits[7];
    for (int i = 5; i >= 0; --i) {
        digits[i] = char('0' + fraction % 10);
        fraction /= 10;
    }
    size_t n = 6;
    while (digits[n - 1] == '0') --n;
    text += ".";
    text.append(digits, n);
    return text;
}

String field(const char* label, int64_t value) {
    return String("   ") + label + ": " + String::decimal(value);
}

}   // namespace

String deviceText(const char* bytes, size_t maxLength) {
    size_t n = 0;
    while (n < maxLength && bytes[n] != 0) ++n;
    String text(bytes, n);
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f) text[i] = '.';
    }
    return text;
}

std::vector<String> decodeEeprom(const uint8_t (&image)[kEepromImageSize]) {
    std::vector<String> lines;
    lines.reserve(48);

    lines.push_back("   Radio description: ");
    for (size_t row = 0; row < 8; ++row) {
        lines.push_back(String(' ', 9) + String::hexDump(image + row * 8, 8, 0) + "\t" +
                        text8(image, row * 8));
    }
    lines.push_back(field("Table layout version", u16(image, 64)));

    // The band and VCO edges are printed before the limits although they lie
    // after them in the table; readers compare reports line by line.
    String bands("   Band&VCO freqs: ");
    for (size_t k = 0; k < 24; ++k) bands += megahertz(u32(image, 88 + 4 * k)) + " ";
    lines.push_back(bands);

    lines.push_back(field("Min freq", u32(image, 68)));
    lines.push_back(field("Max freq", u32(image, 72)));
    lines.push_back(field("IF1 freq", u32(image, 76)));
    lines.push_back(field("Ref1", u32(image, 80)));
    lines.push_back(field("Ref2", u32(image, 84)));

    lines.push_back(String("   Default DAC values: ") + String::hexDump(image + 184, 8, 0));
    lines.push_back(String("   Model name: ") + text8(image, 192));
    lines.push_back(String("   Serial number: ") + text8(image, 200));

    for (int k = 0; k < 4; ++k)
        lines.push_back(String("   Ref clock #") + String::decimal(k) + ": " +
                        String::decimal(u32(image, 208 + 4 * k)));
    for (int k = 0; k < 4; ++k)
        lines.push_back(String("   Ref DIV #") + String::decimal(k) + ": " +
                        String::decimal(u16(image, 224 + 2 * k)));
    for (int k = 0; k < 4; ++k)
        lines.push_back(String("   P bits #") + String::decimal(k) + ": " + String::decimal(image[232 + k]));

    lines.push_back(field("RSSI type", image[236]));
    lines.push_back(field("RSSI flags", image[237]));
    lines.push_back(String("   Spare: ") + String::decimal(image[238]) + " " + String::decimal(image[239]));

    lines.push_back(field("AGC start", u16(image, 240)));
    lines.push_back(field("AGC mid", u16(image, 242)));
    lines.push_back(field("AGC end", u16(image, 244)));
    lines.push_back(field("Drop level", s16(image, 246)));
    lines.push_back(field("RSSI top", s16(image, 248)));
    lines.push_back(field("RSSI ref", u16(image, 250)));
    lines.push_back(field("RX Gain", u16(image, 252)));
    lines.push_back(field("RSSI ref2", u16(image, 254)));
    return lines;
}
