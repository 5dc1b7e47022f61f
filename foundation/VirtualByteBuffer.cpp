#include "foundation/VirtualByteBuffer.h"

#include "foundation/Win32.h"

uint32_t VirtualByteBuffer::roundToPages(uint64_t n) const {
    uint64_t pages = (n + pageSize_ - 1) / pageSize_;
    uint64_t bytes = pages * pageSize_;
    // A maximum near 4 GiB cannot be rounded up in 32 bits; the whole pages
    // below it are what can be reserved anyway.
    if (bytes > UINT32_MAX) bytes = (uint64_t(UINT32_MAX) / pageSize_) * pageSize_;
    return uint32_t(bytes);
}

VirtualByteBuffer::VirtualByteBuffer(uint32_t initial, uint32_t maximum) : ByteBuffer() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    if (info.dwPageSize) pageSize_ = info.dwPageSize;

    // A large maximum may not fit into a fragmented 2 GiB address space; take
    // a page off at a time until the reserve succeeds.  MEM_TOP_DOWN keeps the
    // big region away from the low addresses the heap grows into.
    uint32_t reserve = roundToPages(initial > maximum ? initial : maximum);
    void* region = nullptr;
    while (reserve > 0) {
        region = VirtualAlloc(nullptr, reserve, MEM_RESERVE | MEM_TOP_DOWN, PAGE_NOACCESS);
        if (region || reserve <= pageSize_) break;
        reserve -= pageSize_;
    }
    if (!region) return;   // no data, no capacity, maximum 0: setSize stays at 0

    data_ = static_cast<uint8_t*>(region);
    maxCapacity_ = reserve;
    size_ = 0;

    uint32_t first = roundToPages(initial);
    if (first > reserve) first = reserve;
    // Committing zero bytes would fail; an initial size of 0 just commits nothing yet.
    if (first > 0 && !VirtualAlloc(data_, first, MEM_COMMIT, PAGE_READWRITE)) {
        // The destructor does not run for a throwing constructor: give the
        // address space back here.
        VirtualFree(data_, 0, MEM_RELEASE);
        data_ = nullptr;
        throw "No memory";
    }
    capacity_ = minCapacity_ = first;
}

VirtualByteBuffer::~VirtualByteBuffer() {
    if (data_) VirtualFree(data_, 0, MEM_RELEASE);
    // ~ByteBuffer frees data_ with free(); it must not see this region.
    data_ = nullptr;
}

uint32_t VirtualByteBuffer::reallocate(uint32_t n) {
    if (!data_) return capacity_;
    if (n < minCapacity_) n = minCapacity_;
    if (n > maxCapacity_) n = maxCapacity_;
    if (n < size_) n = size_;
    uint32_t f = roundToPages(n);
    if (f > maxCapacity_) f = maxCapacity_;
    if (f != capacity_ && allocationFailureSimulated()) return capacity_;
    if (f > capacity_) {
        if (!VirtualAlloc(data_ + capacity_, f - capacity_, MEM_COMMIT, PAGE_READWRITE)) return capacity_;
    } else if (f < capacity_) {
        if (!VirtualFree(data_ + f, capacity_ - f, MEM_DECOMMIT)) return capacity_;
    }
    capacity_ = f;
    return capacity_;
}
