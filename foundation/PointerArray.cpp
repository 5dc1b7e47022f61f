#include "foundation/PointerArray.h"

#include <cstring>

namespace {
uint32_t entryBytes(uint32_t count) {
    uint64_t bytes = uint64_t(count) * PointerArray::entrySize;
    return bytes > UINT32_MAX ? UINT32_MAX : uint32_t(bytes);
}
}   // namespace

PointerArray::PointerArray(uint32_t initialCount, uint32_t maximumCount)
    : ByteBuffer(entryBytes(initialCount), entryBytes(maximumCount)) {}

bool PointerArray::insertAt(void* pointer, uint32_t index) {
    // Growth is checked before anything moves: when the maximum is reached
    // or the allocator fails, the array is left exactly as it was.
    if (!growToFit(uint64_t(size_) + entrySize)) return false;
    uint32_t n = count();
    if (index > n) index = n;
    setSize(size_ + entrySize);
    void** e = entries();
    std::memmove(e + index + 1, e + index, (n - index) * entrySize);
    e[index] = pointer;
    return true;
}

void* PointerArray::removeAt(uint32_t index) {
    uint32_t n = count();
    if (index >= n) return nullptr;
    void** e = entries();
    void* taken = e[index];
    std::memmove(e + index, e + index + 1, (n - index - 1) * entrySize);
    setSize(size_ - entrySize);
    return taken;
}

void PointerArray::clear() {
    while (count() > 0) removeAt(count() - 1);
    reallocate(0);
}

int PointerArray::indexOf(const void* pointer) const {
    for (uint32_t i = count(); i > 0; --i) {
        if (entries()[i - 1] == pointer) return int(i - 1);
    }
    return -1;
}

void PointerArray::swap(uint32_t i, uint32_t j) {
    void** e = entries();
    void* t = e[i];
    e[i] = e[j];
    e[j] = t;
}
