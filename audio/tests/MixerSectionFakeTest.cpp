// The mixer section over stand-in mixer calls, for the failures and control
// kinds that a real driver does not produce on demand.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "audio/MixerSection.h"
#include "foundation/LineCollector.h"

namespace {

using Lines = std::vector<std::string>;

struct FakeControl {
    std::string name;
    DWORD type;
    DWORD flags;
    DWORD items;
    LONG minimum, maximum;
    DWORD steps;
    std::vector<std::string> texts;   // empty: the text read fails
    std::vector<DWORD> values;        // empty: the value read fails
};

struct FakeLine {
    bool infoOk;
    std::string name;
    DWORD channels;
    bool controlsOk;
    std::vector<FakeControl> controls;
    std::vector<FakeLine> sources;   // destinations only
};

struct FakeMixer {
    MMRESULT openResult;
    bool capsOk;
    std::string name;
    std::vector<FakeLine> destinations;
};

struct FakeSystem {
    std::vector<FakeMixer> mixers;
    int opened = 0, closed = 0;
    std::vector<std::string> faults;   // requests a real mixer driver would reject
} fake;

// Handles are mixer index + 1; line IDs are (destination + 1) << 8 | source + 1
// (source 0 for a destination); control IDs index into the flat table.
std::map<DWORD, const FakeControl*> controlTable;

const FakeLine* lineById(HMIXEROBJ handle, DWORD id) {
    const FakeMixer& mixer = fake.mixers[(UINT_PTR)handle - 1];
    const FakeLine& destination = mixer.destinations[(id >> 8) - 1];
    return (id & 0xFF) ? &destination.sources[(id & 0xFF) - 1] : &destination;
}

UINT WINAPI fakeNumDevs() { return (UINT)fake.mixers.size(); }

MMRESULT WINAPI fakeOpen(LPHMIXER mixer, UINT id, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
    if (callback != 0 || flags != 0) fake.faults.push_back("open with callback or flags");
    MMRESULT result = fake.mixers[id].openResult;
    if (result == MMSYSERR_NOERROR) {
        *mixer = (HMIXER)(UINT_PTR)(id + 1);
        ++fake.opened;
    }
    return result;
}

MMRESULT WINAPI fakeClose(HMIXER) {
    ++fake.closed;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI fakeCaps(UINT_PTR id, LPMIXERCAPSA caps, UINT size) {
    const FakeMixer& mixer = fake.mixers[id];
    if (!mixer.capsOk || size != sizeof(MIXERCAPSA)) return MMSYSERR_ERROR;
    std::strcpy(caps->szPname, mixer.name.c_str());
    caps->cDestinations = (DWORD)mixer.destinations.size();
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI fakeLineInfo(HMIXEROBJ handle, LPMIXERLINEA line, DWORD flags) {
    const FakeMixer& mixer = fake.mixers[(UINT_PTR)handle - 1];
    if (line->cbStruct != sizeof(MIXERLINEA)) return MMSYSERR_INVALPARAM;
    const FakeLine* found;
    DWORD id;
    if (flags == MIXER_GETLINEINFOF_DESTINATION) {
        found = &mixer.destinations[line->dwDestination];
        id = (line->dwDestination + 1) << 8;
    } else if (flags == MIXER_GETLINEINFOF_SOURCE) {
        found = &mixer.destinations[line->dwDestination].sources[line->dwSource];
        id = (line->dwDestination + 1) << 8 | (line->dwSource + 1);
    } else {
        return MMSYSERR_INVALFLAG;
    }
    if (!found->infoOk) return MMSYSERR_ERROR;
    std::strcpy(line->szName, found->name.c_str());
    line->dwLineID = id;
    line->cChannels = found->channels;
    line->cConnections = (DWORD)found->sources.size();
    line->cControls = (DWORD)found->controls.size();
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI fakeLineControls(HMIXEROBJ handle, LPMIXERLINECONTROLSA request, DWORD flags) {
    const FakeLine* line = lineById(handle, request->dwLineID);
    if (flags != MIXER_GETLINECONTROLSF_ALL || request->cbmxctrl != 148 ||
        request->cControls != line->controls.size())
        fake.faults.push_back("line controls request for " + line->name);
    if (!line->controlsOk) return MMSYSERR_ERROR;
    for (size_t i = 0; i < line->controls.size(); ++i) {
        const FakeControl& source = line->controls[i];
        MIXERCONTROLA& control = request->pamxctrl[i];
        std::memset(&control, 0, sizeof control);
        control.cbStruct = sizeof control;
        control.dwControlID = request->dwLineID << 8 | (DWORD)i;
        controlTable[control.dwControlID] = &source;
        control.dwControlType = source.type;
        control.fdwControl = source.flags;
        control.cMultipleItems = source.items;
        std::strcpy(control.szName, source.name.c_str());
        control.Bounds.lMinimum = source.minimum;
        control.Bounds.lMaximum = source.maximum;
        control.Metrics.cSteps = source.steps;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI fakeControlDetails(HMIXEROBJ handle, LPMIXERCONTROLDETAILS details, DWORD flags) {
    const FakeLine* line = lineById(handle, details->dwControlID >> 8);
    const FakeControl& control = *controlTable.at(details->dwControlID);
    DWORD channels = (control.flags & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : line->channels;
    DWORD items = (control.flags & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.items : 0;
    if (details->cbStruct != sizeof *details || details->cChannels != channels ||
        details->cMultipleItems != items)
        fake.faults.push_back("details request for " + control.name);
    size_t count = (size_t)channels * (items ? items : 1);
    if (flags == MIXER_GETCONTROLDETAILSF_LISTTEXT) {
        if (details->cbDetails != 72) fake.faults.push_back("text entry size for " + control.name);
        if (control.texts.empty()) return MMSYSERR_INVALPARAM;
        auto* texts = static_cast<MIXERCONTROLDETAILS_LISTTEXTA*>(details->paDetails);
        for (size_t k = 0; k < count; ++k) std::strcpy(texts[k].szName, control.texts[k].c_str());
        return MMSYSERR_NOERROR;
    }
    if (details->cbDetails != 4) fake.faults.push_back("value entry size for " + control.name);
    if (control.values.empty()) return MMSYSERR_ERROR;
    auto* values = static_cast<DWORD*>(details->paDetails);
    for (size_t k = 0; k < count; ++k) values[k] = control.values[k];
    return MMSYSERR_NOERROR;
}

const MixerCalls kFakeCalls = {fakeNumDevs,  fakeOpen,         fakeClose,         fakeCaps,
                               fakeLineInfo, fakeLineControls, fakeControlDetails};

const DWORD UNIFORM = MIXERCONTROL_CONTROLF_UNIFORM;
const DWORD MULTIPLE = MIXERCONTROL_CONTROLF_MULTIPLE;

class MixerSectionFake : public testing::Test {
protected:
    void SetUp() override {
        fake = FakeSystem();
        controlTable.clear();
    }
    Lines run() {
        LineCollector out;
        writeMixerLines(out, kFakeCalls);
        EXPECT_EQ(Lines(), fake.faults);
        EXPECT_EQ(fake.opened, fake.closed) << "every opened mixer is closed again";
        return out.lines;
    }
};

TEST_F(MixerSectionFake, NoMixersGiveHeadingAndEmptyLine) {
    EXPECT_EQ(Lines({"System audio mixers", ""}), run());
}

TEST_F(MixerSectionFake, OpenFailuresAndUnreadableCapabilities) {
    fake.mixers = {
        {MMSYSERR_BADDEVICEID, false, "", {}},
        {MMSYSERR_ERROR, true, "no line for a code without text", {}},
        {MMSYSERR_NOMEM, false, "", {}},
        {MMSYSERR_NOERROR, false, "caps fail", {{true, "never listed", 2, true, {}, {}}}},
        {MMSYSERR_NOERROR, true, "Empty Mixer", {}},
    };
    EXPECT_EQ(
        Lines({"System audio mixers", "   Mixer #0 - bad device ID",
               "   Mixer #2 - unable to allocate resources", "   Mixer #3", "   Mixer #4 = Empty Mixer", ""}),
        run());
}

TEST_F(MixerSectionFake, LinesControlsAndSettings) {
    FakeControl volume{"Volume", MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 0, 0, 0xFFFF, 192, {}, {0x12, 0xFFFF}};
    FakeControl mute{"Mute", MIXERCONTROL_CONTROLTYPE_MUTE, UNIFORM, 0, 0, 1, 0, {}, {1}};
    FakeControl custom{"Vendor", MIXERCONTROL_CONTROLTYPE_CUSTOM, 0, 0, -1, 5, 6, {}, {}};
    FakeControl unreadable{"Unreadable", MIXERCONTROL_CONTROLTYPE_MUTE, UNIFORM, 0, 0, 1, 0, {"x"}, {}};
    FakeControl mux{"Source", MIXERCONTROL_CONTROLTYPE_MUX, UNIFORM | MULTIPLE, 2, 0, 1, 2, {"Mic", "Line"},
                    {0, 1}};
    // A driver's absurd item count is not trusted with an allocation: the
    // control is left out like one whose values cannot be read.
    FakeControl absurd{"Absurd", MIXERCONTROL_CONTROLTYPE_MUX, MULTIPLE, 0xFFFFFFFFu, 0, 1, 2, {"x"}, {1}};
    FakeControl gain{"Gain", MIXERCONTROL_CONTROLTYPE_DECIBELS, UNIFORM, 0, -600, 350, 95, {}, {(DWORD)-60}};
    FakeLine wave{true, "Wave", 2, true, {volume, mute, custom, unreadable}, {}};
    FakeLine hidden{true, "Controls unreadable", 2, false, {mute}, {}};
    FakeLine noInfo{false, "Info unreadable", 2, true, {}, {}};
    FakeLine mic{true, "Microphone", 1, true, {}, {}};
    fake.mixers = {{MMSYSERR_NOERROR,
                    true,
                    "Fake Mixer",
                    {{false, "skipped destination", 2, true, {}, {}},
                     {true, "Speakers", 2, false, {mute}, {wave, hidden, noInfo}},
                     {true, "Recording", 2, true, {mux, absurd, gain}, {mic}}}}};
    Lines expected = {
        "System audio mixers",
        "   Mixer #0 = Fake Mixer",
        "      Speakers",   // its controls are unreadable, its sources still follow
        "         Wave",
        "            Volume (volume fader) [0000->ffff,192 steps], setting: [ 0012 ffff ]",
        "            Mute (mute switch) [0000->0001,0 steps], UNIFORM , setting: [ ON ]",
        "            Vendor (Custom) [ffffffffffffffff->0005,6 steps]",
        "      Recording",
        "            Source (multiplexor) [0000->0001,2 steps], UNIFORM , MULTIPLE ",
        "             - Mic=OFF",
        "             - Line=ON",
        "            Gain (decibels) [fffffffffffffda8->015e,95 steps], UNIFORM , setting: [ -6dB ]",
        "         Microphone",
        "",
    };
    EXPECT_EQ(expected, run());
}

}   // namespace
