// PointerArray: an array of pointers kept in a ByteBuffer, one pointer-sized
// entry per element (4 bytes in the 32-bit program).  Counts given to the
// constructor are entries, which the buffer holds as byte sizes.  The base of
// TextList, which overrides removeAt to delete what the entry points to.
//
// Portable: no Win32.
#pragma once

#include "foundation/ByteBuffer.h"

class PointerArray : public ByteBuffer {
public:
    static constexpr uint32_t entrySize = sizeof(void*);

    PointerArray(uint32_t initialCount, uint32_t maximumCount);

    // Inserts at index (clamped to count, so -1 appends).  Returns false when
    // the array is full and cannot grow: nothing is stored and the caller
    // keeps ownership of the pointer.
    virtual bool insertAt(void* pointer, uint32_t index);
    // Takes the entry out and returns it (the caller owns what it points to);
    // null for an index at or beyond count.
    virtual void* removeAt(uint32_t index);

    uint32_t count() const { return size_ / entrySize; }
    void* at(uint32_t index) const { return entries()[index]; }   // no bounds check
    // Empties the array through removeAt (so a derived list deletes its
    // elements), then returns the block to its smallest size.
    void clear();
    int indexOf(const void* pointer) const;   // searched from the last entry; -1 when absent
    void swap(uint32_t i, uint32_t j);

protected:
    void** entries() const { return reinterpret_cast<void**>(data_); }
};
