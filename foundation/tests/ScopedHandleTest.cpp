#include "foundation/ScopedHandle.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// A handle kind with two "no handle" values like Win32's null and
// INVALID_HANDLE_VALUE (0 and -1), whose close calls are recorded.
struct RecordedTraits {
    using Handle = int;
    static Handle empty() { return 0; }
    static bool isValid(Handle handle) { return handle != 0 && handle != -1; }
    static bool close(Handle handle) {
        closed.push_back(handle);
        return handle != failsToClose;
    }
    static inline std::vector<int> closed;
    static inline int failsToClose = 0;
};
using Owner = ScopedHandle<RecordedTraits>;
using Closed = std::vector<int>;

class ScopedHandleTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordedTraits::closed.clear();
        RecordedTraits::failsToClose = 0;
    }
    const Closed& closed() const { return RecordedTraits::closed; }
};

TEST_F(ScopedHandleTest, ClosesAValidHandleOnceAndNeitherNoHandleValue) {
    struct Row {
        const char* name;
        int handle;
        bool valid;
        Closed expected;
    } rows[] = {
        {"real handle", 7, true, {7}},
        {"null", 0, false, {}},
        {"INVALID_HANDLE_VALUE", -1, false, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        RecordedTraits::closed.clear();
        {
            Owner owner(r.handle);
            EXPECT_EQ(r.valid, bool(owner));
            EXPECT_EQ(r.handle, owner.get());
        }
        EXPECT_EQ(r.expected, closed());
    }
}

TEST_F(ScopedHandleTest, MovesHandOwnershipOverWithoutClosingTwice) {
    {
        Owner first(1);
        Owner second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(1, second.get());

        Owner third(3);
        third = std::move(second);   // the old handle of the target goes
        EXPECT_EQ(Closed({3}), closed());
        EXPECT_EQ(1, third.get());

        Owner& alias = third;
        third = std::move(alias);   // moving onto itself keeps the handle open
        EXPECT_EQ(Closed({3}), closed());
        EXPECT_EQ(1, third.get());
    }
    EXPECT_EQ(Closed({3, 1}), closed());
}

TEST_F(ScopedHandleTest, ReleaseAndReset) {
    {
        Owner owner(4);
        EXPECT_EQ(4, owner.release());
        EXPECT_FALSE(owner);

        owner.reset(5);
        owner.reset(5);   // the handle already held: not closed under the owner
        EXPECT_TRUE(closed().empty());
        owner.reset(6);
        EXPECT_EQ(Closed({5}), closed());
        owner.reset();
        EXPECT_EQ(Closed({5, 6}), closed());
        EXPECT_FALSE(owner);
    }
    EXPECT_EQ(Closed({5, 6}), closed());
}

TEST_F(ScopedHandleTest, ExplicitCloseReportsTheResultAndEmptiesTheOwner) {
    RecordedTraits::failsToClose = 9;
    struct Row {
        const char* name;
        int handle;
        bool result;
        Closed expected;
    } rows[] = {
        {"closed", 8, true, {8}},
        {"close failed", 9, false, {9}},
        {"nothing to close", -1, false, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        RecordedTraits::closed.clear();
        {
            Owner owner(r.handle);
            EXPECT_EQ(r.result, owner.close());
            EXPECT_FALSE(owner);
        }
        // Not closed a second time when the owner goes.
        EXPECT_EQ(r.expected, closed());
    }
}

#ifdef _WIN32

TEST(Win32Handles, KernelHandleIsClosedWithCloseHandle) {
    EXPECT_FALSE(ScopedKernelHandle());
    EXPECT_FALSE(ScopedKernelHandle(INVALID_HANDLE_VALUE));

    ScopedKernelHandle event(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    ASSERT_TRUE(event);
    const HANDLE raw = event.get();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(raw, 0));
    event.reset();
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(raw, 0));

    ScopedKernelHandle second(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    ASSERT_TRUE(second);
    EXPECT_TRUE(second.close());
}

TEST(Win32Handles, SearchIsEndedWithFindClose) {
    WIN32_FIND_DATAA data;
    ScopedFindHandle missing(FindFirstFileA("C:\\no such folder\\*", &data));
    EXPECT_FALSE(missing);
    EXPECT_EQ(INVALID_HANDLE_VALUE, ScopedFindHandle().get());

    char folder[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryA(folder, MAX_PATH));
    ScopedFindHandle search(FindFirstFileA((std::string(folder) + "\\*").c_str(), &data));
    ASSERT_TRUE(search);
    // A find handle is no kernel handle and CloseHandle refuses it, so true
    // shows the search went to FindClose.
    EXPECT_TRUE(search.close());
}

#endif

}   // namespace
