// Text files the program reads (the start-up file above all) can hold any
// bytes.  The parse is compared with a plain reference splitter, on a list
// whose maximum the first input byte chooses, so the growth, shrink and
// full-list paths of the pointer array are driven too.  Sort and duplicate
// removal then run on whatever came in.
#include "foundation/TextList.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> referenceLines(const char* c, size_t n) {
    std::vector<std::string> lines;
    std::string line;
    size_t p = 0;
    while (p < n) {
        if (c[p] == '\r' || c[p] == '\n') {
            lines.push_back(line);
            line.clear();
            p += (c[p] == '\r' && p + 1 < n && c[p + 1] == '\n') ? 2 : 1;
            continue;
        }
        line += c[p++];
        if (p == n) lines.push_back(line);
    }
    return lines;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const unsigned initial = 1 + (data[0] & 7);
    const unsigned maximum = initial + (data[0] >> 3) * 4;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const size_t length = size - 1;

    const std::vector<std::string> expected = referenceLines(text, length);
    TextList list(initial, maximum);
    const bool complete = list.parseText(text, length);
    if (complete != (expected.size() <= maximum)) std::abort();
    const size_t kept = expected.size() < maximum ? expected.size() : maximum;
    if (list.count() != kept) std::abort();
    for (unsigned i = 0; i < list.count(); ++i) {
        const String entry = list.get(i);
        if (entry.length() != expected[i].size() ||
            std::memcmp(entry.c_str(), expected[i].data(), entry.length()) != 0)
            std::abort();
    }

    list.sort();
    for (unsigned i = 1; i < list.count(); ++i)
        if (std::strcmp(list.get(i - 1).c_str(), list.get(i).c_str()) > 0) std::abort();
    list.removeAdjacentDuplicates();
    for (unsigned i = 1; i < list.count(); ++i)
        if (std::strcmp(list.get(i - 1).c_str(), list.get(i).c_str()) >= 0) std::abort();

    // Sorted inserts into what is left keep the order, until the list is full.
    TextList sorted(initial, maximum);
    for (const std::string& line : expected) {
        if (!sorted.insertSorted(String(line.c_str()))) break;
    }
    for (unsigned i = 1; i < sorted.count(); ++i)
        if (std::strcmp(sorted.get(i - 1).c_str(), sorted.get(i).c_str()) > 0) std::abort();
    while (sorted.count()) sorted.remove(sorted.count() / 2);
    return 0;
}
