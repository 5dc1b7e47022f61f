#include "foundation/LockedByteQueue.h"

#include <cstring>

LockedByteQueue::LockedByteQueue(uint32_t initial, uint32_t maximum) : ByteBuffer(initial, maximum) {}

LockedByteQueue::~LockedByteQueue() = default;

uint32_t LockedByteQueue::dropFront(uint32_t n) {
    std::memmove(data_, data_ + n, size_ - n);
    setSize(size_ - n);
    return n;
}

uint32_t LockedByteQueue::write(const void* source, uint32_t n) {
    CriticalSectionLock lock(section_);
    growToFit(uint64_t(size_) + n);
    uint32_t room = capacity_ - size_;
    if (n > room) n = room;
    if (n == 0) return 0;
    std::memcpy(data_ + size_, source, n);
    setSize(size_ + n);
    return n;
}

uint32_t LockedByteQueue::read(void* destination, uint32_t n, bool consume) {
    CriticalSectionLock lock(section_);
    if (size_ < n) return 0;
    if (destination && n) std::memcpy(destination, data_, n);
    if (consume && n) dropFront(n);
    return n;
}

void LockedByteQueue::clear() {
    CriticalSectionLock lock(section_);
    read(nullptr, size_, true);
    reallocate(0);
}

const uint8_t* LockedByteQueue::lockForRead() {
    section_.enter();
    return data_;
}

int LockedByteQueue::unlockRead(uint32_t consumed) {
    if (consumed > size_) consumed = size_;
    if (consumed) dropFront(consumed);
    section_.leave();
    return 1;
}

uint8_t* LockedByteQueue::lockForWrite(uint32_t n) {
    section_.enter();
    growToFit(uint64_t(size_) + n);
    return data_ ? data_ + size_ : nullptr;
}

uint32_t LockedByteQueue::unlockWrite(uint32_t written) {
    uint32_t room = capacity_ - size_;
    if (written > room) written = room;
    setSize(size_ + written);
    section_.leave();
    return written;
}
