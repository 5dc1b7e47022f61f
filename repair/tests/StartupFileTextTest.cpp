// The start-up file's text after the plug-in variable is set: which lines go,
// that every other byte stays, and where the new line lands.
#include <gtest/gtest.h>

#include <string>

#include "repair/StartupFileText.h"

namespace {

const std::string kSet = "SET ZQT_PLUGIN_PATH=C:\\P\r\n";

TEST(StartupFileText, RewriteKeepsOtherLinesByteForByte) {
    struct Case {
        const char* name;
        std::string oldText;
        std::string expected;
    } cases[] = {
        {"empty file", "", kSet},
        {"earlier SET line moves to the end", "@ECHO OFF\r\nSET ZQT_PLUGIN_PATH=C:\\OLD\r\nPATH C:\\DOS\r\n",
         "@ECHO OFF\r\nPATH C:\\DOS\r\n" + kSet},
        {"every line naming the variable goes, wherever it names it",
         "REM ZQT_PLUGIN_PATH first\r\nA\r\nECHO %ZQT_PLUGIN_PATH%\r\nB\r\nSET ZQT_PLUGIN_PATH=X",
         "A\r\nB\r\n" + kSet},
        {"the test is case-sensitive", "set zqt_plugin_path=C:\\OLD\r\n",
         "set zqt_plugin_path=C:\\OLD\r\n" + kSet},
        {"LF and CR line breaks stay as they are", "A\nB\rZQT_PLUGIN_PATH\nC\r\n", "A\nB\rC\r\n" + kSet},
        {"blank lines and trailing blanks stay", "A  \r\n\r\n\r\n B\r\n", "A  \r\n\r\n\r\n B\r\n" + kSet},
        {"a last line without a break gets one", "PATH C:\\DOS", "PATH C:\\DOS\r\n" + kSet},
        {"the new line goes in front of the end-of-file mark", "A\r\n\x1a", "A\r\n" + kSet + "\x1a"},
        {"several end marks after an open line", "A\x1a\x1a", "A\r\n" + kSet + "\x1a\x1a"},
        {"an end mark inside the text is ordinary text",
         "A\x1a"
         "B\r\n",
         "A\x1a"
         "B\r\n" +
             kSet},
        {"zero and high bytes stay", std::string("A\0B\r\n\xe9t\xe9\r\n", 10),
         std::string("A\0B\r\n\xe9t\xe9\r\n", 10) + kSet},
        {"only the variable's lines", "SET ZQT_PLUGIN_PATH=C:\\OLD\r\n", kSet},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, rewriteStartupFileText(c.oldText, "C:\\P"));
    }
}

TEST(StartupFileText, RewriteTwiceLeavesOneSetLine) {
    const std::string once = rewriteStartupFileText("A\r\n", "C:\\ONE");
    EXPECT_EQ("A\r\nSET ZQT_PLUGIN_PATH=C:\\TWO\r\n", rewriteStartupFileText(once, "C:\\TWO"));
}

}   // namespace
