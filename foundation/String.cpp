#include "foundation/String.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// The shared block: a fixed header followed by the characters.  Only the
// header fields are declared; the characters live right behind it.
struct String::Block {
    uint32_t tag;        // always 0; kept for the block's documented layout
    uint32_t length;     // characters, terminator excluded
    uint32_t capacity;   // character bytes, terminator included; >= length + 1
    uint32_t references;
    char* chars() { return reinterpret_cast<char*>(this + 1); }
};

char String::dummy_ = 0;

namespace {

// No block beyond 2 GB: the block's fields are 32-bit, and in the 32-bit
// program the size of a larger one would wrap around in the allocation.
constexpr size_t maxCapacity = 0x7FFFFFFFu - sizeof(String::Block);

String::Block* newBlock(const char* text, size_t length, size_t capacity) {
    if (length >= maxCapacity || capacity > maxCapacity) stringOutOfMemory();
    if (capacity < length + 1) capacity = length + 1;
    auto* block = static_cast<String::Block*>(std::malloc(sizeof(String::Block) + capacity));
    if (!block) stringOutOfMemory();   // out of memory is fatal for the program
    block->tag = 0;
    block->length = static_cast<uint32_t>(length);
    block->capacity = static_cast<uint32_t>(capacity);
    block->references = 1;
    char* chars = block->chars();
    if (text && length) std::memcpy(chars, text, length);
    std::memset(chars + length, 0, capacity - length);
    return block;
}

void release(String::Block* block) {
    if (block && --block->references == 0) std::free(block);
}

}   // namespace

String::String() : block_(newBlock(nullptr, 0, 1)) {}

String::String(const char* text) : block_(newBlock(text, text ? std::strlen(text) : 0, 0)) {}

String::String(const char* text, size_t length) : block_(newBlock(text, text ? length : 0, 0)) {}

String::String(char c, size_t count) : block_(newBlock(nullptr, count, 0)) {
    std::memset(block_->chars(), c, count);
}

String String::reserved(size_t n) {
    if (n >= maxCapacity) stringOutOfMemory();   // n + 1 must not wrap around
    return String(newBlock(nullptr, 0, n < 16 ? 17 : n + 1));
}

String::String(const String& other) : block_(other.block_) { ++block_->references; }

String& String::operator=(const String& other) {
    if (block_ != other.block_) {
        release(block_);
        block_ = other.block_;
        ++block_->references;
    }
    return *this;
}

String& String::operator=(const char* text) {
    // text may point into our own block: build the new one first.
    Block* fresh = newBlock(text, text ? std::strlen(text) : 0, 0);
    release(block_);
    block_ = fresh;
    return *this;
}

String::~String() { release(block_); }

size_t String::length() const { return block_->length; }
size_t String::capacity() const { return block_->capacity; }
const char* String::c_str() const { return block_->chars(); }
int String::referenceCount() const { return static_cast<int>(block_->references); }

void String::makePrivate(size_t neededCapacity) {
    if (neededCapacity > maxCapacity) stringOutOfMemory();
    if (neededCapacity < block_->length + 1) neededCapacity = block_->length + 1;
    if (block_->references > 1) {
        Block* copy = newBlock(block_->chars(), block_->length, neededCapacity);
        --block_->references;
        block_ = copy;
    } else if (neededCapacity > block_->capacity) {
        // No growth reserve: exactly the capacity the change needs.
        auto* grown = static_cast<Block*>(std::realloc(block_, sizeof(Block) + neededCapacity));
        if (!grown) stringOutOfMemory();
        block_ = grown;
        std::memset(block_->chars() + block_->length, 0, neededCapacity - block_->length);
        block_->capacity = static_cast<uint32_t>(neededCapacity);
    }
}

char* String::buffer() {
    makePrivate(block_->capacity);
    return block_->chars();
}

void String::reserve(size_t n) {
    if (n >= maxCapacity) stringOutOfMemory();   // n + 1 must not wrap around
    makePrivate(n + 1);
}

char& String::charAt(size_t index) {
    if (index >= block_->capacity) return dummy_;
    makePrivate(block_->capacity);
    return block_->chars()[index];
}

char String::charAt(size_t index) const { return index < block_->capacity ? block_->chars()[index] : 0; }

String& String::recomputeLength() {
    makePrivate(block_->capacity);
    const char* chars = block_->chars();
    const void* zero = std::memchr(chars, 0, block_->capacity);
    block_->length =
        static_cast<uint32_t>(zero ? static_cast<const char*>(zero) - chars : block_->capacity - 1);
    block_->chars()[block_->length] = 0;
    return *this;
}

String& String::append(const char* text, size_t length) {
    if (!text || length == 0) return *this;
    // text may live in our own block, which the reallocation can move.
    std::string keep(text, length);
    size_t old = block_->length;
    makePrivate(old + length + 1);
    std::memcpy(block_->chars() + old, keep.data(), length);
    block_->length = static_cast<uint32_t>(old + length);
    block_->chars()[block_->length] = 0;
    return *this;
}

String& String::operator+=(const String& other) { return append(other.c_str(), other.length()); }
String& String::operator+=(const char* text) { return append(text, text ? std::strlen(text) : 0); }
String& String::operator+=(char c) { return append(&c, 1); }

String String::operator+(const String& other) const {
    String result(newBlock(c_str(), length(), length() + other.length() + 1));
    result.append(other.c_str(), other.length());
    return result;
}

String String::operator+(const char* text) const {
    size_t n = text ? std::strlen(text) : 0;
    String result(newBlock(c_str(), length(), length() + n + 1));
    result.append(text, n);
    return result;
}

String operator+(const char* text, const String& s) { return String(text) + s; }

bool String::operator==(const String& other) const {
    return block_ == other.block_ || std::strcmp(c_str(), other.c_str()) == 0;
}
bool String::operator==(const char* text) const { return std::strcmp(c_str(), text ? text : "") == 0; }
int String::compare(const String& other) const { return std::strcmp(c_str(), other.c_str()); }
int String::compare(const char* text) const { return std::strcmp(c_str(), text ? text : ""); }

int String::find(const char* text, size_t start) const {
    if (!text || start > length()) return -1;
    const char* hit = std::strstr(c_str() + start, text);
    return hit ? static_cast<int>(hit - c_str()) : -1;
}

String String::substring(size_t start, size_t count) const {
    if (start >= length()) return String();
    size_t rest = length() - start;
    if (count > rest) count = rest;
    return String(c_str() + start, count);
}

String& String::deleteFirst(size_t n) {
    if (n == 0) return *this;
    makePrivate(block_->capacity);
    if (n > block_->length) n = block_->length;
    char* chars = block_->chars();
    std::memmove(chars, chars + n, block_->length - n + 1);
    block_->length -= static_cast<uint32_t>(n);
    return *this;
}

String& String::trim() {
    size_t begin = 0, end = length();
    const unsigned char* s = reinterpret_cast<const unsigned char*>(c_str());
    while (begin < end && s[begin] <= 32) ++begin;
    while (end > begin && s[end - 1] <= 32) --end;
    if (begin == 0 && end == length()) return *this;
    *this = substring(begin, end - begin);
    return *this;
}

String& String::padRight(size_t wanted) {
    if (length() < wanted) *this += String(' ', wanted - length());
    return *this;
}

String String::upperCase() const {
    String result(c_str(), length());
    char* s = result.buffer();
    for (size_t i = 0; i < result.length(); ++i)
        s[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
    return result;
}

String String::lowerCase() const {
    String result(c_str(), length());
    char* s = result.buffer();
    for (size_t i = 0; i < result.length(); ++i)
        s[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
    return result;
}

String String::directoryPart() const {
    const char* slash = std::strrchr(c_str(), '\\');
    return slash ? String(c_str(), slash - c_str()) : String();
}

String String::fileNamePart() const {
    const char* slash = std::strrchr(c_str(), '\\');
    return slash ? String(slash + 1) : *this;
}

String String::extension() const {
    const char* dot = std::strrchr(c_str(), '.');
    return dot ? String(dot + 1) : String();
}

String String::decimal(int64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    return String(text);
}

String String::hex(uint64_t value, unsigned minDigits) {
    static const char digits[] = "0123456789abcdef";
    char text[17];
    size_t n = 0;
    bool started = false;
    for (int nibble = 15; nibble >= 0; --nibble) {
        unsigned d = static_cast<unsigned>((value >> (nibble * 4)) & 0xF);
        if (static_cast<unsigned>(nibble) < minDigits || started || d != 0) {
            text[n++] = digits[d];
            started = true;
        }
    }
    if (n == 0) text[n++] = '0';
    return String(text, n);
}

int32_t String::parseInteger(const char* text, bool hexadecimal) {
    if (!text) return 0;
    // A 32-bit long, as on the target; sscanf leaves it alone when nothing reads.
    if (hexadecimal) {
        unsigned int value = 0;
        if (std::sscanf(text, "%x", &value) != 1) return 0;
        return static_cast<int32_t>(value);
    }
    int value = 0;
    if (std::sscanf(text, "%d", &value) != 1) return 0;
    return value;
}

namespace {

// The decimal digits of round(magnitude * 10^places), rounding the exact
// binary value half away from zero.  printf cannot be trusted for this: glibc
// rounds exact halves to even (2.5 -> "2") and the Windows runtimes differ
// between versions, so the digits are worked out here with a small binary
// big integer.
std::string roundedDigits(double magnitude, unsigned places) {
    int exponent = 0;
    double fraction = std::frexp(magnitude, &exponent);   // magnitude = fraction * 2^exponent
    uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
    int shift = 53 - exponent;   // magnitude = mantissa / 2^shift

    std::vector<uint32_t> n{static_cast<uint32_t>(mantissa), static_cast<uint32_t>(mantissa >> 32)};
    auto multiply = [&n](uint32_t factor) {
        uint64_t carry = 0;
        for (uint32_t& limb : n) {
            uint64_t v = uint64_t(limb) * factor + carry;
            limb = static_cast<uint32_t>(v);
            carry = v >> 32;
        }
        if (carry) n.push_back(static_cast<uint32_t>(carry));
    };
    for (unsigned i = 0; i < places; ++i) multiply(10);
    if (shift < 0) {
        for (int i = 0; i < -shift; ++i) multiply(2);
    } else if (shift > 0) {
        auto bit = [&n](int index) {
            size_t limb = size_t(index) / 32;
            return limb < n.size() && ((n[limb] >> (index % 32)) & 1u);
        };
        bool roundUp = bit(shift - 1);   // at or above one half
        std::vector<uint32_t> q(n.size(), 0);
        for (size_t i = 0; i < n.size(); ++i) {
            size_t from = i * 32 + size_t(shift);
            size_t limb = from / 32, offset = from % 32;
            uint64_t v = limb < n.size() ? n[limb] >> offset : 0;
            if (offset && limb + 1 < n.size()) v |= uint64_t(n[limb + 1]) << (32 - offset);
            q[i] = static_cast<uint32_t>(v);
        }
        n.swap(q);
        if (roundUp) {
            bool carry = true;
            for (uint32_t& limb : n) {
                if (++limb != 0) {
                    carry = false;
                    break;
                }
            }
            if (carry) n.push_back(1);
        }
    }
    // Binary to decimal, nine digits at a time.
    std::string digits;
    for (;;) {
        while (n.size() > 1 && n.back() == 0) n.pop_back();
        if (n.size() == 1 && n[0] < 1000000000u) {
            digits.insert(0, std::to_string(n[0]));
            break;
        }
        uint64_t remainder = 0;
        for (size_t i = n.size(); i-- > 0;) {
            uint64_t v = (remainder << 32) | n[i];
            n[i] = static_cast<uint32_t>(v / 1000000000u);
            remainder = v % 1000000000u;
        }
        std::string chunk = std::to_string(remainder);
        digits.insert(0, std::string(9 - chunk.size(), '0') + chunk);
    }
    return digits;
}

}   // namespace

String String::fixedPoint(double value, unsigned minDecimals, unsigned extraDecimals, bool plusSign) {
    bool negative = value < 0;
    double magnitude = negative ? -value : value;
    unsigned places = minDecimals + extraDecimals;
    if (!std::isfinite(magnitude)) {
        const char* text = std::isnan(magnitude) ? "nan" : (negative ? "-inf" : "inf");
        return String(text);
    }
    std::string digits = magnitude == 0 ? std::string("0") : roundedDigits(magnitude, places);
    // The point sits `places` digits from the right; values below 1 get a "0"
    // integer part and the zeros between the point and the first digit.
    if (digits.size() < places + 1) digits.insert(0, places + 1 - digits.size(), '0');
    std::string integerPart = digits.substr(0, digits.size() - places);
    std::string fraction = digits.substr(digits.size() - places);

    std::string out;
    if (negative)
        out += '-';
    else if (plusSign)
        out += '+';
    out += integerPart;
    while (fraction.size() > minDecimals && fraction.back() == '0') fraction.pop_back();
    while (fraction.size() < minDecimals) fraction += '0';
    if (!fraction.empty()) out += '.' + fraction;
    return String(out.c_str(), out.size());
}

String String::unitPattern(int64_t value, const char* pattern, bool hexadecimal) {
    if (!pattern) pattern = "";
    int scan = static_cast<int>(std::strlen(pattern)) - 1;
    std::string result;
    int64_t v = value;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    auto number = [hexadecimal](int64_t n) {
        return hexadecimal ? std::string(String::hex(static_cast<uint64_t>(n)).c_str())
                           : std::string(String::decimal(n).c_str());
    };
    for (;;) {
        int unitEnd = scan;
        while (scan >= 0 && !isDigit(pattern[scan])) --scan;
        result.insert(0, pattern + scan + 1, unitEnd - scan);
        if (scan < 0) break;
        int radixEnd = scan;
        while (scan >= 0 && isDigit(pattern[scan])) --scan;
        std::string radixText(pattern + scan + 1, radixEnd - scan);
        int64_t radix = parseInteger(radixText.c_str(), hexadecimal);
        // A run of digits that overflows the 32-bit parse comes back as zero
        // or negative; dividing by it is meaningless (and -1 would overflow
        // on the smallest value), so it ends the pattern like a zero radix.
        if (radix <= 0) break;
        std::string part = number(v % radix);
        if (radixText[0] == '0' && part.size() < radixText.size() - 1)
            part.insert(0, radixText.size() - 1 - part.size(), '0');
        result.insert(0, part);
        v /= radix;
        if (v == 0) break;
    }
    if (v > 0 && pattern[0] && !isDigit(pattern[0])) result.insert(0, number(v));
    return String(result.c_str(), result.size());
}

String String::hexDump(const void* bytes, size_t length, unsigned groupSize) {
    String result = reserved(2 * length + 1 + (groupSize ? length / groupSize : 0));
    static const char digits[] = "0123456789abcdef";
    const unsigned char* b = static_cast<const unsigned char*>(bytes);
    std::string out;
    out.reserve(2 * length + length);
    for (size_t i = 0; i < length; ++i) {
        out += digits[b[i] >> 4];
        out += digits[b[i] & 0xF];
        if (groupSize && (i + 1) % groupSize == 0) out += ' ';
    }
    result.append(out.data(), out.size());
    return result;
}
