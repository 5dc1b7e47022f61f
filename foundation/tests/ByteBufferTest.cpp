#include "foundation/ByteBuffer.h"
#include "foundation/TestThread.h"
#include "foundation/CriticalSection.h"
#include "foundation/LockedByteQueue.h"
#include "foundation/PointerArray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Switches the allocator seam off again even when an assertion fails.
struct AllocationFailure {
    AllocationFailure() { ByteBuffer::simulateAllocationFailure(true); }
    ~AllocationFailure() { ByteBuffer::simulateAllocationFailure(false); }
};

// A buffer in the state (capacity, minimum, size) that a row describes.
void shape(ByteBuffer& b, uint32_t size) { ASSERT_EQ(b.setSize(size), size); }

TEST(ByteBuffer, StartsWithTagZeroAndTheGivenSizes) {
    ByteBuffer empty;
    EXPECT_EQ(empty.typeTag(), 0u);
    EXPECT_EQ(empty.capacity(), 0u);
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_EQ(empty.maxCapacity(), 0u);
    EXPECT_EQ(empty.data(), nullptr);

    ByteBuffer b(16, 64);
    EXPECT_EQ(b.typeTag(), 0u);
    EXPECT_EQ(b.capacity(), 16u);
    EXPECT_EQ(b.minCapacity(), 16u);
    EXPECT_EQ(b.maxCapacity(), 64u);
    EXPECT_EQ(b.size(), 0u);
    EXPECT_EQ(b.freeSpace(), 16u);
    b.setTypeTag(0x1234);   // the header's setter works through the base
    EXPECT_EQ(static_cast<TaggedObject&>(b).typeTag(), 0x1234u);
}

TEST(ByteBuffer, SetSizeDoublesToFitAndHalvesOnce) {
    struct Row {
        const char* name;
        uint32_t before;   // size set first (from 16/64 fresh)
        uint32_t request;
        uint32_t result, capacity;
    } rows[] = {
        {"grow 16->32->64", 0, 40, 40, 64},
        {"clamped to maximum", 0, 100, 64, 64},
        {"fits without growth", 0, 16, 16, 16},
        {"one halving only", 20, 3, 3, 32},   // 64 -> 32, not down to 16
        {"old size bounds shrink", 64, 3, 3, 64},
        {"eighth is not below", 64, 8, 8, 64},
        {"halving stops at minimum", 0, 1, 1, 16},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ByteBuffer b(16, 64);
        if (r.before) {
            shape(b, 64);   // capacity 64
            shape(b, r.before);
            ASSERT_EQ(b.capacity(), 64u);
        }
        EXPECT_EQ(b.setSize(r.request), r.result);
        EXPECT_EQ(b.size(), r.result);
        EXPECT_EQ(b.capacity(), r.capacity);
    }
}

TEST(ByteBuffer, ReallocateLowerBoundsWinOverMaximum) {
    struct Row {
        const char* name;
        uint32_t initial, maximum, size, request, capacity;
    } rows[] = {
        {"clamped to maximum", 16, 64, 0, 1000, 64},
        {"raised to minimum", 16, 64, 0, 2, 16},
        {"minimum above maximum", 32, 8, 0, 100, 32},
        {"raised to size", 16, 64, 40, 20, 40},
        {"at least four", 0, 0, 0, 0, 4},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ByteBuffer b(r.initial, r.maximum);
        if (r.size) shape(b, r.size);
        EXPECT_EQ(b.reallocate(r.request), r.capacity);
        EXPECT_EQ(b.capacity(), r.capacity);
    }
}

TEST(ByteBuffer, RemoveClosesTheGapAndClampsTheRange) {
    struct Row {
        const char* name;
        uint32_t position, n;
        const char* left;
    } rows[] = {
        {"middle", 2, 3, "abfghij"},
        {"front", 0, 4, "efghij"},
        {"past the end", 7, 100, "abcdefg"},
        {"exactly to the end", 5, 5, "abcde"},
        {"position at size", 10, 2, "abcdefghij"},
        {"position beyond size", 50, 2, "abcdefghij"},
        {"nothing", 3, 0, "abcdefghij"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ByteBuffer b(16, 64);
        shape(b, 10);
        std::memcpy(b.data(), "abcdefghij", 10);
        EXPECT_EQ(b.remove(r.position, r.n), 1);
        ASSERT_EQ(b.size(), std::strlen(r.left));
        EXPECT_EQ(std::memcmp(b.data(), r.left, b.size()), 0);
    }
}

TEST(ByteBuffer, FailedGrowthKeepsTheBlockAndShowsTheShortfall) {
    ByteBuffer b(16, 1024);
    shape(b, 16);
    std::memcpy(b.data(), "0123456789abcdef", 16);
    uint8_t* before = b.data();
    {
        AllocationFailure failing;
        EXPECT_EQ(b.setSize(100), 16u);   // ends, and reports what it reached
        EXPECT_EQ(b.capacity(), 16u);
        EXPECT_EQ(b.data(), before);
        EXPECT_EQ(b.reallocate(512), 16u);
    }
    EXPECT_EQ(std::memcmp(b.data(), "0123456789abcdef", 16), 0);
    EXPECT_EQ(b.setSize(100), 100u);   // growth works again afterwards
    EXPECT_EQ(std::memcmp(b.data(), "0123456789abcdef", 16), 0);
}

TEST(ByteBuffer, GrowthNearTheTopOfTheRangeEnds) {
    // A maximum that doubling cannot hit exactly, and a buffer that starts at
    // zero bytes, must both still reach their target and stop.
    ByteBuffer b(0, 1000);
    EXPECT_EQ(b.setSize(999), 999u);
    EXPECT_EQ(b.capacity(), 1000u);
    EXPECT_EQ(b.setSize(5000), 1000u);
}

// ---- PointerArray -------------------------------------------------------

// Records what removeAt hands out, like a derived list that owns its entries.
class CountingArray : public PointerArray {
public:
    using PointerArray::PointerArray;
    void* removeAt(uint32_t index) override {
        void* p = PointerArray::removeAt(index);
        if (p) removed.push_back(p);
        return p;
    }
    std::vector<void*> removed;
};

int values[8];

std::vector<void*> contents(const PointerArray& a) {
    std::vector<void*> v;
    for (uint32_t i = 0; i < a.count(); ++i) v.push_back(a.at(i));
    return v;
}

TEST(PointerArray, SizesAreCountsOfPointers) {
    PointerArray a(1024, 0x40000);
    EXPECT_EQ(a.capacity(), 1024u * sizeof(void*));
    EXPECT_EQ(a.maxCapacity(), 0x40000u * sizeof(void*));
    EXPECT_EQ(a.count(), 0u);
}

TEST(PointerArray, InsertAtPositions) {
    struct Row {
        const char* name;
        uint32_t index;
        std::vector<void*> expected;
    } rows[] = {
        {"append with -1", uint32_t(-1), {&values[0], &values[1], &values[2], &values[7]}},
        {"front shifts all", 0, {&values[7], &values[0], &values[1], &values[2]}},
        {"middle", 1, {&values[0], &values[7], &values[1], &values[2]}},
        {"at count", 3, {&values[0], &values[1], &values[2], &values[7]}},
        {"beyond count", 99, {&values[0], &values[1], &values[2], &values[7]}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        PointerArray a(2, 16);   // starts too small: the inserts below must grow it
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(a.insertAt(&values[i], uint32_t(-1)));
        EXPECT_TRUE(a.insertAt(&values[7], r.index));
        EXPECT_EQ(contents(a), r.expected);
    }
}

TEST(PointerArray, RemoveAtReturnsTheEntry) {
    PointerArray a(4, 16);
    a.insertAt(&values[0], 0);
    EXPECT_EQ(a.removeAt(1), nullptr);   // out of range
    EXPECT_EQ(a.removeAt(uint32_t(-1)), nullptr);
    EXPECT_EQ(a.removeAt(0), &values[0]);   // the only entry
    EXPECT_EQ(a.count(), 0u);

    for (int i = 0; i < 4; ++i) a.insertAt(&values[i], uint32_t(-1));
    EXPECT_EQ(a.removeAt(1), &values[1]);
    EXPECT_EQ(contents(a), (std::vector<void*>{&values[0], &values[2], &values[3]}));
}

TEST(PointerArray, FullArrayDropsTheInsertAndSaysSo) {
    PointerArray a(1, 3);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(a.insertAt(&values[i], uint32_t(-1)));
    EXPECT_FALSE(a.insertAt(&values[3], 0));
    EXPECT_EQ(contents(a), (std::vector<void*>{&values[0], &values[1], &values[2]}));

    PointerArray b(2, 100);
    b.insertAt(&values[0], 0);
    b.insertAt(&values[1], 0);
    AllocationFailure failing;
    EXPECT_FALSE(b.insertAt(&values[2], 0));   // the array is full and realloc fails
    EXPECT_EQ(contents(b), (std::vector<void*>{&values[1], &values[0]}));
}

TEST(PointerArray, ClearGoesThroughTheVirtualRemove) {
    CountingArray a(2, 64);
    for (int i = 0; i < 5; ++i) a.insertAt(&values[i], uint32_t(-1));
    a.clear();
    EXPECT_EQ(a.count(), 0u);
    EXPECT_EQ(a.removed, (std::vector<void*>{&values[4], &values[3], &values[2], &values[1], &values[0]}));
    EXPECT_EQ(a.capacity(), 2u * sizeof(void*));   // back to the initial block
}

TEST(PointerArray, IndexOfSearchesFromTheEndAndSwapExchanges) {
    PointerArray a(4, 16);
    for (int i : {0, 1, 0, 2}) a.insertAt(&values[i], uint32_t(-1));
    EXPECT_EQ(a.indexOf(&values[0]), 2);
    EXPECT_EQ(a.indexOf(&values[2]), 3);
    EXPECT_EQ(a.indexOf(&values[5]), -1);
    a.swap(0, 3);
    EXPECT_EQ(contents(a), (std::vector<void*>{&values[2], &values[1], &values[0], &values[0]}));
}

TEST(PointerArray, CapacityHalvesWhenMostlyEmpty) {
    PointerArray a(4, 1024);
    for (int i = 0; i < 64; ++i) a.insertAt(&values[0], uint32_t(-1));
    EXPECT_EQ(a.capacity(), 64u * sizeof(void*));
    while (a.count() > 4) a.removeAt(0);
    EXPECT_LT(a.capacity(), 64u * sizeof(void*));
    EXPECT_GE(a.capacity(), 4u * sizeof(void*));
    EXPECT_GE(a.capacity(), a.size());
}

// ---- LockedByteQueue ----------------------------------------------------

std::string held(LockedByteQueue& q) {
    std::string s(q.size(), '\0');
    if (q.size()) q.read(&s[0], q.size(), false);
    return s;
}

TEST(LockedByteQueue, WriteAndReadFirstInFirstOut) {
    LockedByteQueue q(4, 1024);
    EXPECT_EQ(q.write("hello", 5), 5u);
    EXPECT_EQ(q.write(" world", 6), 6u);
    EXPECT_EQ(held(q), "hello world");

    char out[16] = {};
    EXPECT_EQ(q.read(out, 5, false), 5u);   // peek
    EXPECT_EQ(std::string(out, 5), "hello");
    EXPECT_EQ(q.size(), 11u);
    EXPECT_EQ(q.read(out, 6, true), 6u);   // consume
    EXPECT_EQ(std::string(out, 6), "hello ");
    EXPECT_EQ(held(q), "world");
    EXPECT_EQ(q.read(nullptr, 2, true), 2u);   // drop without copying
    EXPECT_EQ(held(q), "rld");
}

TEST(LockedByteQueue, ReadOfMoreThanHeldChangesNothing) {
    LockedByteQueue q(16, 64);
    q.write("0123456789", 10);
    char out[11] = {};
    EXPECT_EQ(q.read(out, 11, true), 0u);
    EXPECT_EQ(q.size(), 10u);
    EXPECT_EQ(out[0], '\0');
}

TEST(LockedByteQueue, ClearEmptiesAndShrinks) {
    LockedByteQueue q(8, 4096);
    std::vector<char> bytes(1000, 'x');
    q.write(bytes.data(), 1000);
    EXPECT_GE(q.capacity(), 1000u);
    q.clear();
    EXPECT_EQ(q.size(), 0u);
    EXPECT_EQ(q.capacity(), 8u);
}

TEST(LockedByteQueue, WriteBeyondTheMaximumTakesOnlyWhatFits) {
    LockedByteQueue q(4, 16);
    EXPECT_EQ(q.write("0123456789", 10), 10u);
    EXPECT_EQ(q.write("abcdefghij", 10), 6u);   // the caller keeps "ghij"
    EXPECT_EQ(held(q), "0123456789abcdef");
    EXPECT_EQ(q.write("z", 1), 0u);

    LockedByteQueue r(4, 64);
    r.write("abcd", 4);
    AllocationFailure failing;
    EXPECT_EQ(r.write("efgh", 4), 0u);
    EXPECT_EQ(held(r), "abcd");
}

TEST(LockedByteQueue, LockPairsReadAndFillInPlace) {
    LockedByteQueue q(4, 64);
    uint8_t* p = q.lockForWrite(10);
    ASSERT_GE(q.freeSpace(), 10u);
    std::memcpy(p, "abcdefghij", 10);
    EXPECT_EQ(q.unlockWrite(10), 10u);
    EXPECT_EQ(held(q), "abcdefghij");

    const uint8_t* r = q.lockForRead();
    EXPECT_EQ(std::memcmp(r, "abc", 3), 0);
    EXPECT_EQ(q.unlockRead(3), 1);
    EXPECT_EQ(held(q), "defghij");

    q.lockForRead();
    EXPECT_EQ(q.unlockRead(100), 1);   // clamped to what is held
    EXPECT_EQ(q.size(), 0u);

    q.lockForWrite(1000);   // more than the maximum: only freeSpace may be used
    EXPECT_EQ(q.capacity(), 64u);
    EXPECT_EQ(q.unlockWrite(1000), 64u);
    EXPECT_EQ(q.size(), 64u);
}

TEST(LockedByteQueue, ProducerAndConsumerThreadsKeepTheOrder) {
    LockedByteQueue q(16, 256);
    const int total = 20000;
    TestThread producer([&] {
        int next = 0;
        while (next < total) {
            uint8_t chunk[7];
            int n = 0;
            while (n < 7 && next + n < total) {
                chunk[n] = uint8_t(next + n);
                ++n;
            }
            uint32_t taken = q.write(chunk, uint32_t(n));   // a full queue takes fewer bytes
            next += int(taken);
            if (taken < uint32_t(n)) TestThread::yield();
        }
    });
    int expected = 0;
    bool inOrder = true;
    while (expected < total) {
        const uint8_t* p = q.lockForRead();
        uint32_t n = q.size();
        for (uint32_t i = 0; i < n; ++i) inOrder = inOrder && p[i] == uint8_t(expected + int(i));
        q.unlockRead(n);
        expected += int(n);
        if (n == 0) TestThread::yield();
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(expected, total);
}

TEST(CriticalSection, ReentrantAndExclusive) {
    CriticalSection section;
    section.enter();
    section.enter();   // the holder may enter again
    section.leave();
    section.leave();

    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            CriticalSectionLock lock(section);
            long v = counter;
            counter = v + 1;
        }
    };
    TestThread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}

}   // namespace
