// Wave, aux and codec lines, and the device blocks over stand-in queries.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "audio/DeviceFormat.h"
#include "audio/DeviceSections.h"
#include "foundation/LineCollector.h"

#include <mmreg.h>
#include <msacm.h>

namespace {

using Lines = std::vector<std::string>;

TEST(DeviceFormat, CapabilityAndErrorLines) {
    EXPECT_STREQ("0: Speakers (Null Output) [fffff] <2>",
                 deviceCapsLine(0, "Speakers (Null Output)", 0xFFFFF, 2).c_str());
    EXPECT_STREQ("12: Aux [0] <4294967295>", deviceCapsLine(12, "Aux", 0, 0xFFFFFFFFu).c_str());
    EXPECT_STREQ("3: ERR:2", deviceErrorLine(3, MMSYSERR_BADDEVICEID).c_str());
    EXPECT_STREQ("0: ERR:6", deviceErrorLine(0, MMSYSERR_NODRIVER).c_str());

    char full[MAXPNAMELEN + 8];
    std::memset(full, 'P', sizeof full);   // no terminator within the field
    EXPECT_EQ("1: " + std::string(MAXPNAMELEN, 'P') + " [1] <1>", deviceCapsLine(1, full, 1, 1).c_str());
}

TEST(DeviceFormat, CodecFlagTextsInTableOrder) {
    struct Row {
        DWORD support;
        const char* text;
    } rows[] = {
        {0, "  [ ]"},
        {ACMDRIVERDETAILS_SUPPORTF_HARDWARE | ACMDRIVERDETAILS_SUPPORTF_LOCAL, "  [ ]"},
        {ACMDRIVERDETAILS_SUPPORTF_CODEC, "  [ CODEC ]"},
        {ACMDRIVERDETAILS_SUPPORTF_DISABLED | ACMDRIVERDETAILS_SUPPORTF_CODEC, "  [ CODEC DISABLED ]"},
        {ACMDRIVERDETAILS_SUPPORTF_FILTER | ACMDRIVERDETAILS_SUPPORTF_CONVERTER, "  [ CONVERTER FILTER ]"},
        {0xFFFFFFFFu, "  [ ASYNC CODEC CONVERTER FILTER DISABLED ]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_STREQ(row.text, codecSupportText(row.support).c_str());
    }
    EXPECT_STREQ("   Wine GSM 6.10 libgsm codec  [ CODEC ]",
                 codecDriverLine("Wine GSM 6.10 libgsm codec", ACMDRIVERDETAILS_SUPPORTF_CODEC).c_str());
    EXPECT_STREQ("      PCM [1] size=16", codecFormatTagLine("PCM", WAVE_FORMAT_PCM, 16).c_str());
}

// Stand-in capability queries: device 1 fails with a bad device identifier.
DeviceCaps fakeCaps(unsigned index) {
    DeviceCaps caps;
    if (index == 1) {
        caps.result = MMSYSERR_BADDEVICEID;
        return caps;
    }
    caps.result = MMSYSERR_NOERROR;
    caps.name = index == 0 ? "First" : "Third";
    caps.bracketed = 0xABC;
    caps.angled = 2;
    return caps;
}

TEST(DeviceBlock, HeadingAndOneLinePerDeviceOrNothingAtAll) {
    struct Row {
        const char* name;
        unsigned count;
        Lines lines;
    } rows[] = {
        {"no devices: not even the heading", 0, {}},
        {"one device", 1, {"System wave out devices:", "0: First [abc] <2>"}},
        {"a failing device in the middle",
         3,
         {"System wave out devices:", "0: First [abc] <2>", "1: ERR:2", "2: Third [abc] <2>"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LineCollector out;
        writeDeviceBlock(out, "System wave out devices:", row.count, fakeCaps);
        EXPECT_EQ(row.lines, out.lines);
    }
}

TEST(DeviceBlock, CapabilityQueriesReportBadIdentifiers) {
    // One past the last device: each query must carry the system's error out.
    DeviceCapsQuery queries[] = {waveInCaps, waveOutCaps, auxCaps};
    UINT counts[] = {waveInGetNumDevs(), waveOutGetNumDevs(), auxGetNumDevs()};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ((MMRESULT)MMSYSERR_BADDEVICEID, queries[i](counts[i] + 5).result);
    }
}

}   // namespace
