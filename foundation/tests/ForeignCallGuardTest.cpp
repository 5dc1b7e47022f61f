#include "foundation/ForeignCallGuard.h"
#include "foundation/Win32.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

void* exceptionListHead() {
    void* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

HMODULE fixture() {
    static HMODULE module = LoadLibraryA("q8_guard_fixture.dll");
    return module;
}

template <typename Fn>
Fn fixtureFunction(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(fixture(), name)));
}

// What a guarded call gets: plain data only (no destructors may live on the
// guarded stack).
struct Call {
    int (*noArgument)();
    int (*oneArgument)(int);
    int (*raise)(DWORD, DWORD);
    DWORD code;
    DWORD flags;
    int argument;
    int result;
};

Call noArgumentCall(const char* function) {
    Call call{};
    call.noArgument = fixtureFunction<int (*)()>(function);
    return call;
}

Call oneArgumentCall(const char* function, int argument) {
    Call call{};
    call.oneArgument = fixtureFunction<int (*)(int)>(function);
    call.argument = argument;
    return call;
}

Call raiseCall(DWORD code, DWORD flags) {
    Call call{};
    call.raise = fixtureFunction<int (*)(DWORD, DWORD)>("fixtureRaise");
    call.code = code;
    call.flags = flags;
    return call;
}

void callNoArgument(void* p) {
    Call* call = static_cast<Call*>(p);
    call->result = call->noArgument();
}

void callOneArgument(void* p) {
    Call* call = static_cast<Call*>(p);
    call->result = call->oneArgument(call->argument);
}

void callRaise(void* p) {
    Call* call = static_cast<Call*>(p);
    call->result = call->raise(call->code, call->flags);
}

class ForeignCallGuardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(fixture(), nullptr) << "q8_guard_fixture.dll not found"; }
};

TEST_F(ForeignCallGuardTest, CatchesFaultsAndRaisedExceptionsWithTheirCodes) {
    struct Row {
        const char* name;
        void (*guarded)(void*);
        Call call;
        unsigned long expectedCode;
    };
    Row rows[] = {
        {"null read", callNoArgument, noArgumentCall("fixtureNullRead"), EXCEPTION_ACCESS_VIOLATION},
        {"bad write", callNoArgument, noArgumentCall("fixtureBadWrite"), EXCEPTION_ACCESS_VIOLATION},
        {"registers and frame pointer trashed", callNoArgument,
         noArgumentCall("fixtureTrashRegistersAndFault"), EXCEPTION_ACCESS_VIOLATION},
        {"x87 registers full", callNoArgument, noArgumentCall("fixtureFaultWithFpuStackFull"),
         EXCEPTION_ACCESS_VIOLATION},
        {"integer divide by zero", callOneArgument, oneArgumentCall("fixtureDivideByZero", 0),
         EXCEPTION_INT_DIVIDE_BY_ZERO},
        {"RaiseException", callRaise, raiseCall(0xE0001234u, 0), 0xE0001234u},
        {"non-continuable RaiseException", callRaise, raiseCall(0xE0005678u, EXCEPTION_NONCONTINUABLE),
         0xE0005678u},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Values the compiler keeps in callee-saved registers across the call.
        volatile int before = 1234;
        void* head = exceptionListHead();
        row.call.result = -1;
        unsigned long code = 0;
        EXPECT_FALSE(callGuarded(row.guarded, &row.call, &code));
        EXPECT_EQ(code, row.expectedCode);
        EXPECT_EQ(row.call.result, -1);
        EXPECT_EQ(exceptionListHead(), head);
        EXPECT_EQ(before, 1234);
        // Floating point still works (an x87 stack left full would give NaN).
        volatile double x = 1.5;
        EXPECT_DOUBLE_EQ(x * 3.0 + 0.5, 5.0);
    }
}

TEST_F(ForeignCallGuardTest, NormalCallReturnsTrueAndClearsTheCode) {
    Call call = oneArgumentCall("fixtureNormal", 21);
    unsigned long code = 99;
    EXPECT_TRUE(callGuarded(callOneArgument, &call, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(call.result, 42);
    EXPECT_TRUE(callGuarded(callOneArgument, &call));   // no code wanted
}

TEST_F(ForeignCallGuardTest, LibraryHandlersRunBeforeTheGuard) {
    struct Row {
        const char* name;
        const char* function;
        int expected;
    } rows[] = {
        {"raises and continues", "fixtureHandlesOwnException", 42},
        {"repairs its own access violation", "fixtureRepairsOwnFault", 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Call call = noArgumentCall(row.function);
        ASSERT_NE(call.noArgument, nullptr);
        call.result = -1;
        unsigned long code = 0;
        EXPECT_TRUE(callGuarded(callNoArgument, &call, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(call.result, row.expected);
    }
}

TEST_F(ForeignCallGuardTest, FaultDeepInTheLibraryUnwindsEveryLibraryFrame) {
    auto unwindCalls = fixtureFunction<LONG (*)()>("fixtureUnwindCalls");
    unwindCalls();
    Call call = oneArgumentCall("fixtureDeepFault", 500);
    void* head = exceptionListHead();
    unsigned long code = 0;
    EXPECT_FALSE(callGuarded(callOneArgument, &call, &code));
    EXPECT_EQ(code, (unsigned long)EXCEPTION_ACCESS_VIOLATION);
    EXPECT_EQ(exceptionListHead(), head);
    // Levels 500 down to 0: each library frame got its cleanup call.
    EXPECT_EQ(unwindCalls(), 501);
}

TEST_F(ForeignCallGuardTest, StackOverflowIsCaught) {
    // Only once per thread: the overflow uses up the stack's guard page, so a
    // second one is not reported as an overflow (Wine then raises an access
    // violation, which the guard catches as well).
    Call call = oneArgumentCall("fixtureStackOverflow", 0);
    void* head = exceptionListHead();
    unsigned long code = 0;
    EXPECT_FALSE(callGuarded(callOneArgument, &call, &code));
    EXPECT_EQ(code, (unsigned long)EXCEPTION_STACK_OVERFLOW);
    EXPECT_EQ(exceptionListHead(), head);
}

struct Nested {
    Call inner;
    bool innerReturned;
    unsigned long innerCode;
    bool faultAfterInner;
    int (*fault)();
};

void outerCall(void* p) {
    Nested* nested = static_cast<Nested*>(p);
    nested->innerReturned = callGuarded(callNoArgument, &nested->inner, &nested->innerCode);
    if (nested->faultAfterInner) nested->fault();
}

TEST_F(ForeignCallGuardTest, NestedGuardsEachCatchTheirOwnFault) {
    auto nullRead = fixtureFunction<int (*)()>("fixtureNullRead");
    auto handled = fixtureFunction<int (*)()>("fixtureHandlesOwnException");
    struct Row {
        const char* name;
        int (*inner)();
        bool faultAfterInner;
        bool innerReturned, outerReturned;
    } rows[] = {
        {"inner faults, outer goes on", nullRead, false, false, true},
        {"inner fine, outer faults afterwards", handled, true, true, false},
        {"both fault", nullRead, true, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Nested nested{};
        nested.inner.noArgument = row.inner;
        nested.faultAfterInner = row.faultAfterInner;
        nested.fault = nullRead;
        void* head = exceptionListHead();
        unsigned long outerCode = 0;
        EXPECT_EQ(callGuarded(outerCall, &nested, &outerCode), row.outerReturned);
        EXPECT_EQ(nested.innerReturned, row.innerReturned);
        EXPECT_EQ(nested.innerCode, row.innerReturned ? 0u : (unsigned long)EXCEPTION_ACCESS_VIOLATION);
        EXPECT_EQ(outerCode, row.outerReturned ? 0u : (unsigned long)EXCEPTION_ACCESS_VIOLATION);
        EXPECT_EQ(exceptionListHead(), head);
    }
}

TEST_F(ForeignCallGuardTest, ThousandsOfCaughtFaultsLeaveTheThreadIntact) {
    Call fault = noArgumentCall("fixtureNullRead");
    Call raise = raiseCall(0xE0000001u, 0);
    void* head = exceptionListHead();
    int caught = 0;
    for (int i = 0; i < 10000; ++i) {
        if (!(i % 2 ? callGuarded(callRaise, &raise) : callGuarded(callNoArgument, &fault))) ++caught;
    }
    EXPECT_EQ(caught, 10000);
    EXPECT_EQ(exceptionListHead(), head);
    // The stack and the C++ unwinder still work afterwards.
    bool cppCaught = false;
    try {
        throw std::runtime_error("after the faults");
    } catch (const std::runtime_error&) {
        cppCaught = true;
    }
    EXPECT_TRUE(cppCaught);
}

}   // namespace
