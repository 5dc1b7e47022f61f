#include "foundation/ByteBuffer.h"

#include <cstdlib>
#include <cstring>

namespace {
bool allocationFails = false;
}

void ByteBuffer::simulateAllocationFailure(bool fail) { allocationFails = fail; }
bool ByteBuffer::allocationFailureSimulated() { return allocationFails; }

ByteBuffer::ByteBuffer() = default;

ByteBuffer::ByteBuffer(uint32_t initial, uint32_t maximum) : maxCapacity_(maximum), minCapacity_(initial) {
    data_ = static_cast<uint8_t*>(std::malloc(initial));
    // A failed first allocation leaves an empty buffer that may still grow
    // later; claiming the capacity would let callers write through null.
    capacity_ = data_ ? initial : 0;
}

ByteBuffer::~ByteBuffer() { std::free(data_); }

uint32_t ByteBuffer::reallocate(uint32_t n) {
    if (n > maxCapacity_) n = maxCapacity_;
    // The lower bounds come after the maximum on purpose: the data in use and
    // the initial block are never given up, whatever the maximum says.
    if (n < minCapacity_) n = minCapacity_;
    if (n < size_) n = size_;
    if (n < 4) n = 4;
    if (n == capacity_ && data_) return capacity_;
    if (allocationFails) return capacity_;
    void* block = std::realloc(data_, n);
    if (!block) return capacity_;   // realloc keeps the old block on failure
    data_ = static_cast<uint8_t*>(block);
    capacity_ = n;
    return n;
}

bool ByteBuffer::growOnce() {
    uint32_t before = capacity_;
    uint32_t target = before == 0 ? 4 : (before > UINT32_MAX / 2 ? UINT32_MAX : before * 2);
    reallocate(target);
    return capacity_ > before;
}

bool ByteBuffer::growToFit(uint64_t needed) {
    while (capacity_ < needed) {
        if (!growOnce()) return false;
    }
    return true;
}

uint32_t ByteBuffer::setSize(uint32_t n) {
    if (n > maxCapacity_) n = maxCapacity_;
    if (!growToFit(n)) n = capacity_;   // the caller sees the shortfall in the result
    // Shrink before the size changes, so the old size still bounds the shrink.
    if (n < capacity_ / 8) reallocate(capacity_ / 2);
    size_ = n;
    return n;
}

int ByteBuffer::remove(uint32_t position, uint32_t n) {
    if (position >= size_) {
        n = 0;
    } else if (n < size_ - position) {
        std::memmove(data_ + position, data_ + position + n, size_ - position - n);
    } else {
        n = size_ - position;
    }
    setSize(size_ - n);
    return 1;
}

uint32_t ByteBuffer::size() const { return size_; }
uint32_t ByteBuffer::maxCapacity() const { return maxCapacity_; }
uint32_t ByteBuffer::capacity() const { return capacity_; }
uint32_t ByteBuffer::freeSpace() const { return capacity_ - size_; }
