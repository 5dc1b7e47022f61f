// LockedByteQueue: a first-in first-out byte queue on a ByteBuffer, safe to
// share between threads.  Every operation holds the queue's critical section
// for its duration; the lock/unlock pairs hold it from the lock call to the
// matching unlock call, so a caller can read or fill the block in place.
//
// Portable: the critical section comes from CriticalSection.cpp on Windows
// and from its std::mutex stand-in in the host build.
#pragma once

#include "foundation/ByteBuffer.h"
#include "foundation/CriticalSection.h"

class LockedByteQueue : public ByteBuffer {
public:
    LockedByteQueue(uint32_t initial, uint32_t maximum);
    ~LockedByteQueue() override;

    // Appends n bytes.  Returns the number appended: n, or fewer when the
    // queue reached its maximum or could not grow (the rest is not taken, so
    // the caller still has it).
    virtual uint32_t write(const void* source, uint32_t n);
    // Copies the first n bytes to destination (when not null) and, with
    // consume, drops them.  Returns n, or 0 with nothing changed when fewer
    // than n bytes are held.
    virtual uint32_t read(void* destination, uint32_t n, bool consume);
    // Drops everything and returns the block to its smallest size.
    virtual void clear();
    // Enters the section and returns the first byte; size() bytes are readable.
    virtual const uint8_t* lockForRead();
    // Drops `consumed` bytes (clamped to the size) from the front, leaves the
    // section; returns 1.
    virtual int unlockRead(uint32_t consumed);
    // Enters the section, grows towards size + n and returns the byte just
    // past the last one; at most freeSpace() bytes may be written there.
    virtual uint8_t* lockForWrite(uint32_t n);
    // Adds `written` bytes (clamped to the free space) and leaves the section.
    // Returns the bytes added.
    virtual uint32_t unlockWrite(uint32_t written);

private:
    uint32_t dropFront(uint32_t n);
    CriticalSection section_;
};
