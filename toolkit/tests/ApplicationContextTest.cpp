#include "toolkit/ApplicationContext.h"
#include "foundation/TestThread.h"
#include "toolkit/CommandLine.h"
#include "toolkit/Element.h"
#include "toolkit/TypeTags.h"

#include "TestSupport.h"

#include <cstdio>
#include <cstring>
#include <string>

TEST(CommandLine, SplitsLikeTheProgramExpects) {
    const std::string longWord(5000, 'x');
    const std::string longLine = "prog.exe " + longWord + " tail";
    struct Row {
        const char* line;
        std::vector<std::string> arguments;
    };
    const Row rows[] = {
        {"prog.exe \"a b\" c", {"prog.exe", "a b", "c"}},
        {"\"C:\\Program Files\\q8.exe\" silent", {"C:\\Program Files\\q8.exe", "silent"}},
        {"prog.exe \"\" c", {"prog.exe", "c"}},   // empty quoted argument skipped
        {"prog.exe \t\"\"   \"\" c  ", {"prog.exe", "c"}},
        {"prog.exe a\"b c\"d e", {"prog.exe", "ab cd", "e"}},   // quotes inside a word
        {"prog.exe \"open", {"prog.exe", "open"}},              // unterminated quote runs to the end
        {"prog.exe caf\xe9 x", {"prog.exe", "caf\xe9", "x"}},   // ANSI letters are characters
        {"", {}},
        {"   ", {}},
        {longLine.c_str(), {"prog.exe", longWord.substr(0, 4095), longWord.substr(4095), "tail"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.line).substr(0, 40));
        ASSERT_EQ(commandLineArgumentCount(row.line), static_cast<int>(row.arguments.size()));
        for (size_t i = 0; i < row.arguments.size(); ++i)
            EXPECT_EQ(std::string(commandLineArgument(row.line, static_cast<int>(i)).c_str()),
                      row.arguments[i])
                << "argument " << i;
        EXPECT_STREQ(commandLineArgument(row.line, static_cast<int>(row.arguments.size())).c_str(), "");
    }
}

TEST(ApplicationContext, ArgumentsComeFromTheModuleAndTheProcessCommandLine) {
    ApplicationContext& app = application();
    char path[4096];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    EXPECT_STREQ(app.argument(0).c_str(), path);
    EXPECT_EQ(app.argumentCount(), commandLineArgumentCount(GetCommandLineA()));
    EXPECT_STREQ(app.argument(app.argumentCount()).c_str(), "");
}

TEST(ApplicationContext, InstanceIsTheModuleHoldingTheToolkit) {
    EXPECT_EQ(application().instance(), GetModuleHandleA(nullptr));
}

TEST(ApplicationContext, IsCreatedAgainOnFirstUseAfterDestruction) {
    destroyApplication();
    ApplicationContext& app = application();
    EXPECT_FALSE(app.quitRequested());
    app.requestQuit();
    EXPECT_TRUE(app.quitRequested());
    EXPECT_EQ(app.run(), 0) << "no message is fetched once quit was requested";
    app.clearQuit();
}

TEST(ApplicationContext, RunStopsAtWmQuitWithItsResult) {
    PostQuitMessage(0);
    EXPECT_EQ(application().run(), 0);
}

namespace {
struct TraceLine {
    unsigned number = 0, elapsed = 0;
    std::string type, rest;
};

// "%4u: [%8u]\t<%10s:%p>\t%s" (or with "-%6x" thread id before '>').
bool parseTrace(const std::string& line, TraceLine& out) {
    char type[32] = {};
    int consumed = 0;
    if (std::sscanf(line.c_str(), "%4u: [%8u]\t<%10[^:]:%n", &out.number, &out.elapsed, type, &consumed) != 3)
        return false;
    out.type = type;
    out.rest = line.substr(consumed);
    return true;
}

std::string messageOf(const std::string& line) {
    size_t tab = line.rfind('\t');
    return tab == std::string::npos ? std::string() : line.substr(tab + 1);
}
}   // namespace

TEST(Trace, SilentUntilSwitchedOn) {
    destroyApplication();
    DebugCapture capture;
    application().trace(nullptr, 0, "nothing %d", 1);
    EXPECT_TRUE(capture.lines().empty());
}

TEST(Trace, LinesAreNumberedIndentedAndNameTheObjectType) {
    destroyApplication();
    ApplicationContext& app = application();
    app.setDebugOptions(true);
    Element root(nullptr);
    root.setTypeTag(TypeTag::component);
    DebugCapture capture;
    app.trace(&root, 2, "open %d", 7);
    app.trace(nullptr, 0, "inside");
    app.trace(nullptr, -2, "close");
    app.trace(nullptr, 0, "after");
    app.trace(nullptr, -5, "floor");
    app.trace(nullptr, 0, "zero");
    ASSERT_EQ(capture.lines().size(), 6u);
    const char* messages[] = {"  open 7\n", "  inside\n", "  close\n", "after\n", "floor\n", "zero\n"};
    for (size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(capture.lines()[i]);
        TraceLine parsed;
        ASSERT_TRUE(parseTrace(capture.lines()[i], parsed));
        EXPECT_EQ(parsed.number, i);
        EXPECT_EQ(messageOf(capture.lines()[i]), messages[i]);
    }
    EXPECT_EQ(capture.lines()[0].substr(0, 6), "   0: ");
    EXPECT_NE(capture.lines()[0].find("\t< Component:"), std::string::npos);
    EXPECT_NE(capture.lines()[1].find("\t<   Unknown:"), std::string::npos);
    app.setDebugOptions(false);
}

TEST(Trace, LongMessagesAreCutAndIndentIsCapped) {
    destroyApplication();
    ApplicationContext& app = application();
    app.setDebugOptions(true);
    DebugCapture capture;
    std::string huge(5000, 'm');
    app.trace(nullptr, 900, "%s", huge.c_str());
    app.trace(nullptr, 0, "x");
    ASSERT_EQ(capture.lines().size(), 2u);
    std::string message = messageOf(capture.lines()[0]);
    EXPECT_LE(message.size(), 1024u);
    EXPECT_EQ(message.back(), '\n');
    EXPECT_EQ(messageOf(capture.lines()[1]), std::string(500, ' ') + "x\n");
    app.setDebugOptions(false);
    destroyApplication();
}

TEST(Trace, LogFileGetsTheLinesAndIsDeletedWhenSet) {
    destroyApplication();
    char folder[MAX_PATH], path[MAX_PATH];
    GetTempPathA(sizeof(folder), folder);
    std::snprintf(path, sizeof(path), "%sq8trace-%lu.log", folder, GetCurrentProcessId());
    FILE* stale = std::fopen(path, "wb");
    ASSERT_NE(stale, nullptr);
    std::fputs("stale\n", stale);
    std::fclose(stale);

    ApplicationContext& app = application();
    DebugCapture capture;
    app.setDebugOptions(false, path);
    app.trace(nullptr, 0, "first");
    app.trace(nullptr, 0, "second");
    EXPECT_TRUE(capture.lines().empty()) << "the debugger output stays off";

    FILE* log = std::fopen(path, "rb");
    ASSERT_NE(log, nullptr);
    char buffer[512] = {};
    size_t n = std::fread(buffer, 1, sizeof(buffer) - 1, log);
    std::fclose(log);
    std::string text(buffer, n);
    EXPECT_EQ(text.find("stale"), std::string::npos);
    EXPECT_NE(text.find("\tfirst\n"), std::string::npos);
    EXPECT_NE(text.find("\tsecond\n"), std::string::npos);
    EXPECT_EQ(text.find("   0: "), 0u);
    EXPECT_NE(text.find("\n   1: "), std::string::npos);
    DeleteFileA(path);
    destroyApplication();
}

// Runs last in this file: once a second thread traced, every later line of
// the process carries the thread column.
TEST(Trace, ThreadColumnAppearsOnceASecondThreadTraced) {
    destroyApplication();
    ApplicationContext& app = application();
    app.setDebugOptions(true);
    DebugCapture capture;
    app.trace(nullptr, 0, "main");
    TestThread other([&app] { app.trace(nullptr, 0, "worker"); });
    other.join();
    app.trace(nullptr, 0, "main again");
    ASSERT_EQ(capture.lines().size(), 3u);
    char noThread[64];
    std::snprintf(noThread, sizeof(noThread), ":%p>\t", static_cast<void*>(nullptr));
    EXPECT_NE(capture.lines()[0].find(noThread), std::string::npos) << capture.lines()[0];
    char withThread[64];
    std::snprintf(withThread, sizeof(withThread), ":%p-%6lx>\t", static_cast<void*>(nullptr),
                  static_cast<unsigned long>(GetCurrentThreadId()));
    EXPECT_NE(capture.lines()[2].find(withThread), std::string::npos) << capture.lines()[2];
    app.setDebugOptions(false);
    destroyApplication();
}
