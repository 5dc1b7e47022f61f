// The unit pattern turns every size in the report into text.  Input: eight
// bytes of value, one byte of flags, then the pattern.  Any pattern must give
// a result (no crash, no endless loop); with the report's own pattern the
// text must also read back as the value it was made from.
#include "foundation/String.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// "4g672m380k512" -> 4*1024^3 + 672*1024^2 + 380*1024 + 512; -1 when the
// text is not in the form: the units are a tail of "gmk" in order, the parts
// below the top are under 1024, and the top part is not zero.
int64_t readBack(const char* text) {
    std::vector<uint64_t> parts;
    std::string units;
    const char* p = text;
    for (;;) {
        if (*p < '0' || *p > '9') return -1;
        uint64_t part = 0;
        while (*p >= '0' && *p <= '9') part = part * 10 + uint64_t(*p++ - '0');
        parts.push_back(part);
        if (*p == 0) break;
        units += *p++;
    }
    if (units.size() > 3 || std::string("gmk").substr(3 - units.size()) != units) return -1;
    if (parts.size() > 1 && parts[0] == 0) return -1;
    uint64_t total = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0 && parts[i] >= 1024) return -1;
        total = total * 1024 + parts[i];
    }
    return int64_t(total);
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9) return 0;
    int64_t value;
    std::memcpy(&value, data, sizeof value);
    const uint8_t flags = data[8];
    const std::string pattern(reinterpret_cast<const char*>(data + 9), size - 9);

    const String text = String::unitPattern(value, pattern.c_str(), flags & 1);
    if (std::strlen(text.c_str()) != text.length()) std::abort();

    if (value >= 0) {
        const String size = sizeText(value);
        if (readBack(size.c_str()) != value) std::abort();
    }
    return 0;
}
