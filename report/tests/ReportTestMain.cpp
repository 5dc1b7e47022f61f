// main() of the test programs that run whole reports.  A report starts its
// own image again as the probe helper, and in a test that image is the test
// program: started that way it serves the report instead of running tests.
#include "report/ProbeHelperMain.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (startedAsProbeHelper()) runProbeHelper();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
