#include "foundation/TextList.h"

TextList::TextList(unsigned initialEntries, unsigned maximumEntries)
    : PointerArray(initialEntries, maximumEntries) {}

TextList::~TextList() {
    // Entries are deleted first to last; the pointers themselves go with the
    // buffer, so a full list does not shift its whole array once per entry.
    unsigned n = count();
    for (unsigned i = 0; i < n; ++i) delete entry(i);
    size_ = 0;
}

unsigned TextList::count() const { return PointerArray::count(); }

String TextList::get(unsigned index) const {
    if (index >= count()) return String();
    return *entry(index);
}

bool TextList::add(const String& text, unsigned position) {
    String* copy = new String(text);
    if (insertAt(copy, position)) return true;
    delete copy;   // the array refused it and still leaves ownership with us
    return false;
}

void* TextList::removeAt(uint32_t index) {
    String* taken = static_cast<String*>(PointerArray::removeAt(index));
    delete taken;
    return nullptr;
}

void TextList::remove(unsigned index) { removeAt(index); }

void TextList::clear() {
    for (unsigned i = count(); i > 0; --i) removeAt(i - 1);
    setSize(0);
}

bool TextList::insertSorted(const String& text) {
    unsigned lo = 0;
    unsigned hi = count();
    while (lo < hi) {
        unsigned mid = lo + (hi - lo) / 2;
        int c = entry(mid)->compare(text);
        if (c == 0) return add(text, mid);
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return add(text, lo);
}

void TextList::sort() {
    if (count() < 2) return;
    sortRange(0, count() - 1);
}

// Quicksort with the middle entry as pivot.  The smaller side is sorted by
// recursion and the larger one by the loop, so the stack depth stays
// logarithmic even for inputs that split badly (a list holds up to 262,144
// entries and the main thread's stack is 1 MiB).
void TextList::sortRange(unsigned lo, unsigned hi) {
    while (lo < hi) {
        String pivot = *entry(lo + (hi - lo) / 2);
        long i = long(lo);
        long j = long(hi);
        while (i <= j) {
            while (entry(unsigned(i))->compare(pivot) < 0) ++i;
            while (entry(unsigned(j))->compare(pivot) > 0) --j;
            if (i <= j) {
                swap(unsigned(i), unsigned(j));
                ++i;
                --j;
            }
        }
        // Now [lo, j] <= pivot <= [i, hi].
        if (j - long(lo) < long(hi) - i) {
            if (long(lo) < j) sortRange(lo, unsigned(j));
            lo = unsigned(i);
        } else {
            if (i < long(hi)) sortRange(unsigned(i), hi);
            if (j < long(lo)) break;
            hi = unsigned(j);
        }
    }
}

void TextList::removeAdjacentDuplicates() {
    for (unsigned i = count(); i > 1; --i) {
        if (*entry(i - 1) == *entry(i - 2)) remove(i - 1);
    }
}

bool TextList::parseText(const char* characters, size_t length) {
    size_t p = 0;
    while (p < length) {
        size_t end = p;
        while (end < length && characters[end] != '\r' && characters[end] != '\n') ++end;
        if (!add(String(characters + p, end - p))) return false;   // full: later lines fail too
        size_t next = end;
        if (next < length) {
            // CR LF is one break; a lone CR or LF (or LF CR) is a break each.
            if (characters[next] == '\r' && next + 1 < length && characters[next + 1] == '\n')
                next += 2;
            else
                next += 1;
        }
        p = next;
    }
    return true;
}
