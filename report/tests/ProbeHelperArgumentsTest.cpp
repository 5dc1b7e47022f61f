// What makes this image a probe helper, and the program's handle it is given.
#include "report/ProbeHelperMain.h"

#include <gtest/gtest.h>

#include <string>

TEST(ProbeHelperArguments, OnlyTheHelperArgumentAndAnOptionalHandle) {
    struct Row {
        const char* arguments;
        bool helper;
        unsigned long parent;
    };
    const Row rows[] = {
        {"--q8diag-probe-helper", true, 0},
        {"--q8diag-probe-helper  ", true, 0},
        {"--q8diag-probe-helper 1234", true, 1234},
        {"--q8diag-probe-helper\t56 ", true, 56},
        {"--q8diag-probe-helper 4294967295", true, 4294967295ul},
        // Not a handle value: not a helper, so the program starts as itself.
        {"--q8diag-probe-helper 4294967296", false, 0},
        {"--q8diag-probe-helper 12x", false, 0},
        {"--q8diag-probe-helper 12 34", false, 0},
        {"--q8diag-probe-helperx", false, 0},
        {"--q8diag-probe-helper-1", false, 0},
        {"silent", false, 0},
        {"", false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("\"") + row.arguments + "\"");
        unsigned long parent = 99;
        EXPECT_EQ(row.helper, parseProbeHelperArguments(row.arguments, parent));
        EXPECT_EQ(row.parent, parent);
    }
}
