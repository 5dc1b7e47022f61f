// ByteBuffer: a growable block of raw bytes with a fixed growth policy.
// The block doubles until a new size fits and halves once when less than an
// eighth of it is in use; it never shrinks below its initial size and never
// grows beyond its maximum.  The base of the pointer array (and so of the
// text list) and of the locked byte queue.
//
// Growth that cannot be satisfied (maximum reached, or the allocator says
// no) never loops and never loses data: the old block stays valid and the
// shortfall shows in the result (setSize returns the size it could reach).
//
// Portable: no Win32.  All counts are unsigned 32-bit byte counts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/TaggedObject.h"

class ByteBuffer : public TaggedObject {
public:
    ByteBuffer();                                     // all fields 0
    ByteBuffer(uint32_t initial, uint32_t maximum);   // initial is also the smallest capacity
    ~ByteBuffer() override;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Resizes the block to n bytes, n clamped to the maximum and then raised
    // to the minimum, the size in use and 4 (the lower bounds win).  Returns
    // the capacity afterwards; when the allocator fails the old block and
    // capacity are kept.
    virtual uint32_t reallocate(uint32_t n);
    // Sets the bytes in use to n (clamped to the maximum), doubling the block
    // until n fits and halving it once when n is below an eighth of it.
    // Returns the new size, which is below n when the block could not grow.
    virtual uint32_t setSize(uint32_t n);
    // Removes n bytes at position (clamped to the end); returns 1.
    virtual int remove(uint32_t position, uint32_t n);
    virtual uint32_t size() const;
    virtual uint32_t maxCapacity() const;
    virtual uint32_t capacity() const;
    virtual uint32_t freeSpace() const;   // capacity - size

    uint8_t* data() const { return data_; }
    uint32_t minCapacity() const { return minCapacity_; }

    // Test seam: when set, every later growth or shrink of a block fails as
    // if realloc (or a page commit) had failed.  Lets the tests show that a failed
    // growth keeps the old block and reports the shortfall.
    static void simulateAllocationFailure(bool fail);
    static bool allocationFailureSimulated();

protected:
    // One growth step: twice the capacity, saturating, and at least 4 so that
    // an empty buffer can start growing.  Returns true when the capacity rose.
    bool growOnce();
    // Grows until at least `needed` bytes fit or growth stops; true when they fit.
    bool growToFit(uint64_t needed);

    uint8_t* data_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t size_ = 0;
    uint32_t maxCapacity_ = 0;
    uint32_t minCapacity_ = 0;
};
