// EEPROM images come from the receiver as they are stored: no checksum, no
// magic, any byte anywhere.  The decode must always give the same number of
// lines, and none of them may carry a byte that would break the report's
// line structure (CR, LF, zero) whatever the text fields hold.
#include "receiver/EepromDecode.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t image[kEepromImageSize] = {};
    std::memcpy(image, data, size < sizeof image ? size : sizeof image);

    const std::vector<String> lines = decodeEeprom(image);
    static size_t expectedCount = 0;
    if (expectedCount == 0) expectedCount = lines.size();
    if (lines.size() != expectedCount) std::abort();
    for (const String& line : lines) {
        if (std::strlen(line.c_str()) != line.length()) std::abort();
        if (std::strchr(line.c_str(), '\r') || std::strchr(line.c_str(), '\n')) std::abort();
        if (line.length() > 400) std::abort();   // the band line is the longest: 24 x "4294.967295 "
    }
    return 0;
}
