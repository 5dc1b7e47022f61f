// The audio sections against the devices Wine shows over the PulseAudio null
// sink: every line must agree with what this test reads through the same API.
// The expected lines are built here with plain printf formatting, so a fault
// in the section's own formatters shows up as a difference.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/DeviceSections.h"
#include "audio/MixerFormat.h"
#include "audio/MixerSection.h"
#include "foundation/LineCollector.h"

#include <mmreg.h>
#include <msacm.h>

namespace {

using Lines = std::vector<std::string>;

std::string format(const char* pattern, ...) {
    char text[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

std::string valueText(DWORD type, DWORD value) {
    switch (type & MIXERCONTROL_CT_UNITS_MASK) {
    case MIXERCONTROL_CT_UNITS_BOOLEAN:
        return value ? "ON" : "OFF";
    case MIXERCONTROL_CT_UNITS_UNSIGNED:
        return format("%04lx", (unsigned long)value);
    case MIXERCONTROL_CT_UNITS_SIGNED:
        return format("%ld", (long)(LONG)value);
    default:
        ADD_FAILURE() << "units this test does not format: " << std::hex << type;
        return "?";
    }
}

std::string bound(LONG value) { return format("%04llx", (unsigned long long)(long long)value); }

// What the section should print for the controls of one line, read directly.
void expectControls(Lines& lines, HMIXER mixer, const MIXERLINEA& line, int& controlCount) {
    std::vector<MIXERCONTROLA> controls(line.cControls + 1);
    MIXERLINECONTROLSA request = {};
    request.cbStruct = sizeof request;
    request.dwLineID = line.dwLineID;
    request.cControls = line.cControls;
    request.cbmxctrl = sizeof(MIXERCONTROLA);
    request.pamxctrl = controls.data();
    ASSERT_EQ(MMSYSERR_NOERROR,
              mixerGetLineControlsA((HMIXEROBJ)mixer, &request, MIXER_GETLINECONTROLSF_ALL));
    for (DWORD c = 0; c < line.cControls; ++c) {
        const MIXERCONTROLA& control = controls[c];
        ++controlCount;
        std::string text = std::string(12, ' ') + control.szName +
                           mixerControlTypeText(control.dwControlType) + " [" +
                           bound(control.Bounds.lMinimum) + "->" + bound(control.Bounds.lMaximum) + "," +
                           format("%lu", (unsigned long)control.Metrics.cSteps) + " steps]";
        if (control.fdwControl & MIXERCONTROL_CONTROLF_DISABLED) text += ", DISABLED ";
        if (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) text += ", UNIFORM ";
        if (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) text += ", MULTIPLE ";
        ASSERT_NE(0u, control.dwControlType & MIXERCONTROL_CT_CLASS_MASK) << "no custom controls expected";

        DWORD channels = (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : line.cChannels;
        DWORD items = (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.cMultipleItems : 1;
        std::vector<MIXERCONTROLDETAILS_LISTTEXTA> texts(channels * items + 1);
        std::vector<DWORD> values(channels * items + 1);
        MIXERCONTROLDETAILS details = {};
        details.cbStruct = sizeof details;
        details.dwControlID = control.dwControlID;
        details.cChannels = channels;
        details.cMultipleItems =
            (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.cMultipleItems : 0;
        details.cbDetails = sizeof(MIXERCONTROLDETAILS_LISTTEXTA);
        details.paDetails = texts.data();
        bool haveTexts = mixerGetControlDetailsA((HMIXEROBJ)mixer, &details,
                                                 MIXER_GETCONTROLDETAILSF_LISTTEXT) == MMSYSERR_NOERROR;
        details.cbDetails = sizeof(DWORD);
        details.paDetails = values.data();
        ASSERT_EQ(MMSYSERR_NOERROR,
                  mixerGetControlDetailsA((HMIXEROBJ)mixer, &details, MIXER_GETCONTROLDETAILSF_VALUE));
        if (haveTexts) {
            lines.push_back(text);
            for (DWORD k = 0; k < channels * items; ++k)
                lines.push_back("             - " + std::string(texts[k].szName) + "=" +
                                valueText(control.dwControlType, values[k]));
        } else {
            text += ", setting: [";
            for (DWORD k = 0; k < channels * items; ++k)
                text += " " + valueText(control.dwControlType, values[k]);
            lines.push_back(text + " ]");
        }
    }
}

struct MixerCounts {
    int mixers = 0, destinations = 0, sources = 0, controls = 0;
};

Lines expectedMixerSection(MixerCounts& counts) {
    Lines lines = {"System audio mixers"};
    UINT mixers = mixerGetNumDevs();
    for (UINT m = 0; m < mixers; ++m) {
        ++counts.mixers;
        HMIXER mixer = nullptr;
        EXPECT_EQ(MMSYSERR_NOERROR, mixerOpen(&mixer, m, 0, 0, 0));
        MIXERCAPSA caps = {};
        EXPECT_EQ(MMSYSERR_NOERROR, mixerGetDevCapsA(m, &caps, sizeof caps));
        lines.push_back(format("   Mixer #%u = %s", m, caps.szPname));
        for (DWORD d = 0; d < caps.cDestinations; ++d) {
            MIXERLINEA destination = {};
            destination.cbStruct = sizeof destination;
            destination.dwDestination = d;
            EXPECT_EQ(MMSYSERR_NOERROR,
                      mixerGetLineInfoA((HMIXEROBJ)mixer, &destination, MIXER_GETLINEINFOF_DESTINATION));
            ++counts.destinations;
            lines.push_back(std::string(6, ' ') + destination.szName);
            expectControls(lines, mixer, destination, counts.controls);
            for (DWORD s = 0; s < destination.cConnections; ++s) {
                MIXERLINEA source = {};
                source.cbStruct = sizeof source;
                source.dwDestination = d;
                source.dwSource = s;
                EXPECT_EQ(MMSYSERR_NOERROR,
                          mixerGetLineInfoA((HMIXEROBJ)mixer, &source, MIXER_GETLINEINFOF_SOURCE));
                ++counts.sources;
                lines.push_back(std::string(9, ' ') + source.szName);
                expectControls(lines, mixer, source, counts.controls);
            }
        }
        mixerClose(mixer);
    }
    lines.push_back("");
    return lines;
}

TEST(AudioLive, MixerSectionListsEveryMixerLineAndControl) {
    ASSERT_GT(mixerGetNumDevs(), 0u) << "no mixers: is the PulseAudio null sink of the test script running?";
    MixerCounts counts;
    Lines expected = expectedMixerSection(counts);
    EXPECT_GT(counts.destinations, 0);
    EXPECT_GT(counts.sources, 0);
    EXPECT_GT(counts.controls, 0);

    LineCollector out;
    writeMixerLines(out);
    EXPECT_EQ(expected, out.lines);

    // Run again: the section closes what it opened, so a second report (a
    // second "Get info") sees the same mixers.
    LineCollector again;
    writeMixerLines(again);
    EXPECT_EQ(out.lines, again.lines);
}

// Finds the first mute switch on a destination of any mixer.
bool findMute(HMIXER& mixer, MIXERCONTROLA& mute) {
    for (UINT m = 0; m < mixerGetNumDevs(); ++m) {
        if (mixerOpen(&mixer, m, 0, 0, 0) != MMSYSERR_NOERROR) continue;
        MIXERLINEA line = {};
        line.cbStruct = sizeof line;
        line.dwDestination = 0;
        MIXERLINECONTROLSA request = {};
        request.cbStruct = sizeof request;
        request.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
        request.cControls = 1;
        request.cbmxctrl = sizeof mute;
        request.pamxctrl = &mute;
        if (mixerGetLineInfoA((HMIXEROBJ)mixer, &line, MIXER_GETLINEINFOF_DESTINATION) == MMSYSERR_NOERROR) {
            request.dwLineID = line.dwLineID;
            if (mixerGetLineControlsA((HMIXEROBJ)mixer, &request, MIXER_GETLINECONTROLSF_ONEBYTYPE) ==
                MMSYSERR_NOERROR)
                return true;
        }
        mixerClose(mixer);
    }
    return false;
}

MMRESULT setMute(HMIXER mixer, const MIXERCONTROLA& mute, DWORD value) {
    MIXERCONTROLDETAILS details = {};
    details.cbStruct = sizeof details;
    details.dwControlID = mute.dwControlID;
    details.cChannels = 1;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    return mixerSetControlDetails((HMIXEROBJ)mixer, &details, MIXER_SETCONTROLDETAILSF_VALUE);
}

TEST(AudioLive, SettingsAreTheCurrentOnes) {
    HMIXER mixer = nullptr;
    MIXERCONTROLA mute = {};
    ASSERT_TRUE(findMute(mixer, mute)) << "no mute switch on any mixer";
    auto muteLines = [&] {
        LineCollector out;
        writeMixerLines(out);
        return out.lines;
    };
    ASSERT_EQ(MMSYSERR_NOERROR, setMute(mixer, mute, 1));
    Lines on = muteLines();
    ASSERT_EQ(MMSYSERR_NOERROR, setMute(mixer, mute, 0));
    Lines off = muteLines();
    mixerClose(mixer);
    // Exactly the switched value differs between the two listings.
    ASSERT_EQ(on.size(), off.size());
    int differences = 0;
    for (size_t i = 0; i < on.size(); ++i) {
        if (on[i] == off[i]) continue;
        ++differences;
        EXPECT_NE(std::string::npos, on[i].find("ON")) << on[i];
        EXPECT_NE(std::string::npos, off[i].find("OFF")) << off[i];
    }
    EXPECT_EQ(1, differences);
}

TEST(AudioLive, DeviceBlocksListWhatTheSystemReports) {
    ASSERT_GT(waveInGetNumDevs(), 0u);
    ASSERT_GT(waveOutGetNumDevs(), 0u);
    Lines expected;
    UINT count = waveInGetNumDevs();
    if (count) expected.push_back("System wave in devices:");
    for (UINT n = 0; n < count; ++n) {
        WAVEINCAPSA caps = {};
        ASSERT_EQ(MMSYSERR_NOERROR, waveInGetDevCapsA(n, &caps, sizeof caps));
        expected.push_back(format("%u: %s [%lx] <%u>", n, caps.szPname, caps.dwFormats, caps.wChannels));
    }
    count = waveOutGetNumDevs();
    if (count) expected.push_back("System wave out devices:");
    for (UINT n = 0; n < count; ++n) {
        WAVEOUTCAPSA caps = {};
        ASSERT_EQ(MMSYSERR_NOERROR, waveOutGetDevCapsA(n, &caps, sizeof caps));
        expected.push_back(format("%u: %s [%lx] <%u>", n, caps.szPname, caps.dwFormats, caps.wChannels));
    }
    count = auxGetNumDevs();
    if (count) expected.push_back("System aux devices:");
    for (UINT n = 0; n < count; ++n) {
        AUXCAPSA caps = {};
        ASSERT_EQ(MMSYSERR_NOERROR, auxGetDevCapsA(n, &caps, sizeof caps));
        expected.push_back(format("%u: %s [%x] <%lu>", n, caps.szPname, caps.wTechnology, caps.dwSupport));
    }
    LineCollector out;
    writeWaveAuxLines(out);
    EXPECT_EQ(expected, out.lines);
}

// The codec drivers as this test reads them, formatted here.
struct CodecExpectation {
    Lines lines;
    std::vector<std::string> names;
};

BOOL CALLBACK collectTag(HACMDRIVERID, LPACMFORMATTAGDETAILSA tag, DWORD_PTR instance, DWORD) {
    auto* expected = reinterpret_cast<CodecExpectation*>(instance);
    expected->lines.push_back(
        format("      %s [%lu] size=%lu", tag->szFormatTag, tag->dwFormatTag, tag->cbFormatSize));
    return TRUE;
}

BOOL CALLBACK collectDriver(HACMDRIVERID id, DWORD_PTR instance, DWORD support) {
    auto* expected = reinterpret_cast<CodecExpectation*>(instance);
    ACMDRIVERDETAILSA details = {};
    details.cbStruct = sizeof details;
    if (acmDriverDetailsA(id, &details, 0) != MMSYSERR_NOERROR) return TRUE;
    expected->names.push_back(details.szLongName);
    std::string flags;
    if (support & ACMDRIVERDETAILS_SUPPORTF_ASYNC) flags += " ASYNC";
    if (support & ACMDRIVERDETAILS_SUPPORTF_CODEC) flags += " CODEC";
    if (support & ACMDRIVERDETAILS_SUPPORTF_CONVERTER) flags += " CONVERTER";
    if (support & ACMDRIVERDETAILS_SUPPORTF_FILTER) flags += " FILTER";
    if (support & ACMDRIVERDETAILS_SUPPORTF_DISABLED) flags += " DISABLED";
    expected->lines.push_back("   " + std::string(details.szLongName) + "  [" + flags + " ]");
    const struct {
        UINT metric;
        const char* label;
    } metrics[] = {{ACM_METRIC_DRIVER_PRIORITY, "   Priority: "},
                   {ACM_METRIC_MAX_SIZE_FILTER, "   Filter size: "},
                   {ACM_METRIC_MAX_SIZE_FORMAT, "   Format size: "}};
    for (const auto& metric : metrics) {
        DWORD value = 0;
        if (acmMetrics((HACMOBJ)id, metric.metric, &value) == MMSYSERR_NOERROR)
            expected->lines.push_back(metric.label + format("%lu", value));
    }
    HACMDRIVER driver = nullptr;
    if (acmDriverOpen(&driver, id, 0) == MMSYSERR_NOERROR) {
        ACMFORMATTAGDETAILSA tag = {};
        tag.cbStruct = sizeof tag;
        acmFormatTagEnumA(driver, &tag, collectTag, instance, 0);
        acmDriverClose(driver, 0);
    }
    expected->lines.push_back("");
    return TRUE;
}

TEST(AudioLive, CodecSectionListsTheInstalledDriversWithTheirTags) {
    CodecExpectation expected;
    expected.lines = {"", "ACM system"};
    ASSERT_EQ(MMSYSERR_NOERROR, acmDriverEnum(collectDriver, (DWORD_PTR)&expected, ACM_DRIVERENUMF_DISABLED));
    // Wine ships six: IMA ADPCM, MS ADPCM, G711, MPEG3, GSM 6.10, PCM converter.
    EXPECT_GE(expected.names.size(), 6u);

    LineCollector out;
    writeCodecLines(out);
    EXPECT_EQ(expected.lines, out.lines);
    // Every driver has its tags, PCM among them.
    int pcmLines = 0;
    for (const std::string& line : out.lines) pcmLines += line == "      PCM [1] size=16";
    EXPECT_EQ((int)expected.names.size(), pcmLines);
}

}   // namespace
