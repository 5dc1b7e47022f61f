#include "foundation/VirtualByteBuffer.h"
#include "foundation/Win32.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool committed(const void* address) {
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(address, &info, sizeof info) && info.State == MEM_COMMIT;
}

TEST(VirtualByteBuffer, ReservesOnceAndCommitsPageByPage) {
    VirtualByteBuffer b(100, 1000000);
    const uint32_t page = b.pageSize();
    ASSERT_NE(b.data(), nullptr);
    EXPECT_EQ(b.typeTag(), 0u);
    EXPECT_EQ(b.capacity(), page);   // one page for 100 bytes
    EXPECT_EQ(b.minCapacity(), page);
    EXPECT_EQ(b.maxCapacity(), (1000000 + page - 1) / page * page);
    EXPECT_TRUE(committed(b.data()));
    EXPECT_FALSE(committed(b.data() + page));

    uint8_t* start = b.data();
    EXPECT_EQ(b.setSize(5 * page + 1), 5 * page + 1);
    EXPECT_EQ(b.capacity(), 8 * page);   // doubled 1 -> 2 -> 4 -> 8 pages
    EXPECT_EQ(b.data(), start);          // the data never moves
    b.data()[5 * page] = 0x5a;
    EXPECT_TRUE(committed(b.data() + 7 * page));
    EXPECT_FALSE(committed(b.data() + 8 * page));

    EXPECT_EQ(b.setSize(2 * page), 2 * page);   // a quarter used: no shrink yet
    EXPECT_EQ(b.capacity(), 8 * page);
    EXPECT_EQ(b.setSize(10), 10u);   // below an eighth: one halving
    EXPECT_EQ(b.capacity(), 4 * page);
    EXPECT_FALSE(committed(b.data() + 4 * page));   // decommitted

    EXPECT_EQ(b.setSize(0xFFFFFFFFu), b.maxCapacity());   // clamped to the reserve
    b.data()[b.maxCapacity() - 1] = 1;
    EXPECT_EQ(b.data(), start);
}

TEST(VirtualByteBuffer, ReallocateRoundsToPagesWithinBounds) {
    VirtualByteBuffer b(3 * 4096, 16 * 4096);
    const uint32_t page = b.pageSize();
    struct Row {
        const char* name;
        uint32_t size, request, capacity;
    } rows[] = {
        {"rounded up", 0, 5 * page + 1, 6 * page},
        {"raised to the minimum", 0, 1, 3 * page},
        {"clamped to the reserve", 0, 100 * page, 16 * page},
        {"raised to the size", 9 * page, 2 * page, 9 * page},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        b.setSize(r.size);
        EXPECT_EQ(b.reallocate(r.request), r.capacity);
        EXPECT_EQ(b.capacity(), r.capacity);
    }
}

TEST(VirtualByteBuffer, FailedCommitKeepsTheDataAndShowsTheShortfall) {
    VirtualByteBuffer b(4096, 64 * 4096);
    const uint32_t page = b.pageSize();
    ASSERT_EQ(b.setSize(page), page);
    std::memset(b.data(), 0x42, page);
    ByteBuffer::simulateAllocationFailure(true);
    uint32_t reached = b.setSize(3 * page);
    ByteBuffer::simulateAllocationFailure(false);
    EXPECT_EQ(reached, page);   // the loop ended at what was committed
    EXPECT_EQ(b.capacity(), page);
    EXPECT_EQ(b.data()[page - 1], 0x42);
    EXPECT_EQ(b.setSize(3 * page), 3 * page);
}

TEST(VirtualByteBuffer, StartsEmptyAndStillGrows) {
    VirtualByteBuffer b(0, 64 * 1024);
    EXPECT_EQ(b.capacity(), 0u);
    EXPECT_EQ(b.setSize(10000), 10000u);
    EXPECT_GE(b.capacity(), 10000u);
    std::memset(b.data(), 0x11, 10000);
}

TEST(VirtualByteBuffer, OversizedMaximumShrinksTheReserveUntilItFits) {
    // 3 GiB cannot be reserved in a 2 GiB address space; the loop must end
    // with a smaller reserve rather than fail or spin.
    VirtualByteBuffer b(4096, 0xC0000000u);
    ASSERT_NE(b.data(), nullptr);
    EXPECT_LT(b.maxCapacity(), 0xC0000000u);
    EXPECT_GT(b.maxCapacity(), 0u);
    EXPECT_EQ(b.setSize(1 << 20), uint32_t(1 << 20));
}

}   // namespace
