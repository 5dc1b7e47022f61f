// VirtualByteBuffer: a ByteBuffer whose memory is a region of address space
// reserved once for the maximum and committed page by page as it grows.  The
// data never moves, so pointers into it stay valid while the buffer grows.
//
// Windows only (VirtualAlloc); the header itself needs no <windows.h>.
#pragma once

#include "foundation/ByteBuffer.h"

class VirtualByteBuffer : public ByteBuffer {
public:
    // Reserves the larger of initial and maximum, rounded up to whole pages
    // (fewer pages when the address space is short, down to one) and commits
    // the pages for `initial`.  Throws the text "No memory" when that first
    // commit fails.  A reserve that fails even for one page leaves an empty
    // buffer with no data that cannot grow.
    VirtualByteBuffer(uint32_t initial, uint32_t maximum);
    ~VirtualByteBuffer() override;

    // Commits or decommits whole pages so that n bytes (raised to the
    // minimum and the size, clamped to the reserve) are committed.  Returns
    // the committed byte count; a failed commit keeps the old one.
    uint32_t reallocate(uint32_t n) override;

    uint32_t pageSize() const { return pageSize_; }

private:
    uint32_t roundToPages(uint64_t n) const;
    uint32_t pageSize_ = 4096;
};
