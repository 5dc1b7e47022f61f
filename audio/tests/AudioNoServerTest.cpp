// The audio sections with no sound server: Wine then shows no mixers and no
// wave or aux devices, while the codecs, which need no device, are still there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/DeviceSections.h"
#include "audio/MixerSection.h"
#include "foundation/LineCollector.h"

namespace {

using Lines = std::vector<std::string>;

TEST(AudioWithoutServer, NoMixersAndNoDeviceBlocks) {
    ASSERT_EQ(0u, mixerGetNumDevs()) << "a sound server was reachable after all";
    ASSERT_EQ(0u, waveInGetNumDevs());
    ASSERT_EQ(0u, waveOutGetNumDevs());

    LineCollector mixers;
    writeMixerLines(mixers);
    EXPECT_EQ(Lines({"System audio mixers", ""}), mixers.lines);

    LineCollector devices;
    writeWaveAuxLines(devices);
    EXPECT_EQ(Lines(), devices.lines);

    LineCollector codecs;
    writeCodecLines(codecs);
    ASSERT_GE(codecs.lines.size(), 3u);
    EXPECT_EQ("ACM system", codecs.lines[1]);
}

}   // namespace
