#include "foundation/HelperProcess.h"

#include "foundation/Win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// bin/q8_helper_child.exe, beside this test program.
String childImage() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return String(path, n).directoryPart() + "\\q8_helper_child.exe";
}

// Receives until `wanted` has arrived or the child ends; what came, and how.
HelperProcess::Wait receiveUntil(HelperProcess& child, const std::string& wanted, std::string& received,
                                 unsigned long limit) {
    HelperProcess::Wait wait = HelperProcess::Wait::data;
    while (received.find(wanted) == std::string::npos) {
        wait = child.receive(received, limit);
        if (wait != HelperProcess::Wait::data) break;
    }
    return wait;
}

TEST(HelperProcess, TalksBothWaysAndSeesTheChildFinish) {
    HelperProcess child;
    ASSERT_TRUE(child.start(childImage(), "echo")) << child.error();
    std::string received;
    for (const char* line : {"first\n", "second line\n"}) {
        ASSERT_TRUE(child.send(line));
        receiveUntil(child, line, received, 10000);
        EXPECT_NE(std::string::npos, received.find(line)) << received;
    }
    // Its input closed, the child ends by itself; nothing more comes.
    child.finish(10000);
    EXPECT_EQ(0u, child.exitCode());
    EXPECT_EQ(HelperProcess::Wait::ended, child.receive(received, 10000));
    EXPECT_FALSE(child.send("too late\n"));
}

TEST(HelperProcess, SilenceEndsInATimeOutAndTerminateEndsTheChild) {
    HelperProcess child;
    ASSERT_TRUE(child.start(childImage(), "hang"));
    std::string received;
    const DWORD before = GetTickCount();
    EXPECT_EQ(HelperProcess::Wait::timedOut, child.receive(received, 300));
    const DWORD took = GetTickCount() - before;
    EXPECT_GE(took, 250u);
    EXPECT_LT(took, 5000u);
    EXPECT_TRUE(received.empty());
    EXPECT_FALSE(child.hasEnded());
    child.terminate();
    EXPECT_TRUE(child.hasEnded());
    EXPECT_EQ(1u, child.exitCode());
    EXPECT_EQ(HelperProcess::Wait::ended, child.receive(received, 10000));
}

// What a child writes just before it dies is still handed over, then the end.
TEST(HelperProcess, LastWordsBeforeTheExitAreKept) {
    HelperProcess child;
    ASSERT_TRUE(child.start(childImage(), "exit7"));
    std::string received;
    EXPECT_EQ(HelperProcess::Wait::ended, receiveUntil(child, "never", received, 10000));
    EXPECT_EQ("bye\n", received);
    EXPECT_EQ(7u, child.exitCode());
}

// A grandchild that inherited the child's output keeps the pipe open after
// the child is gone; the caller still learns of the end, soon.
TEST(HelperProcess, AGrandchildHoldingTheOutputDoesNotHoldTheCaller) {
    HelperProcess child;
    ASSERT_TRUE(child.start(childImage(), "grandchild"));
    std::string received;
    // Without the check on the process itself this waits for the grandchild,
    // that is for the whole minute, and times out.
    const HelperProcess::Wait wait = receiveUntil(child, "never", received, 60000);
    // The grandchild waits forever: end it first, whatever the outcome.
    if (received.rfind("pid ", 0) == 0) {
        HANDLE grandchild = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, DWORD(std::stoul(received.substr(4))));
        EXPECT_NE(nullptr, grandchild);
        if (grandchild) {
            TerminateProcess(grandchild, 0);
            WaitForSingleObject(grandchild, 5000);
            CloseHandle(grandchild);
        }
    }
    EXPECT_EQ(0u, received.rfind("pid ", 0)) << received;
    EXPECT_EQ(HelperProcess::Wait::ended, wait);
}

TEST(HelperProcess, AMissingImageIsAFailedStartWithItsReason) {
    HelperProcess child;
    EXPECT_FALSE(child.start("C:\\no such folder\\nothing.exe", "echo"));
    EXPECT_TRUE(child.error() == ERROR_FILE_NOT_FOUND || child.error() == ERROR_PATH_NOT_FOUND)
        << child.error();
    EXPECT_FALSE(child.started());
    std::string received;
    EXPECT_EQ(HelperProcess::Wait::ended, child.receive(received, 100));
    EXPECT_FALSE(child.send("x"));
}

}   // namespace
