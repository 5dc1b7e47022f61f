// Control line texts of the mixer section: type names, bounds, flags, values
// by units, and the open error texts.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/MixerFormat.h"

namespace {

TEST(MixerFormat, ControlTypeTexts) {
    struct Row {
        DWORD type;
        const char* text;
    } rows[] = {
        {MIXERCONTROL_CONTROLTYPE_BASS, "  (bass fader)"},
        {MIXERCONTROL_CONTROLTYPE_EQUALIZER, " (equalizer)"},
        {MIXERCONTROL_CONTROLTYPE_FADER, " (fader)"},
        {MIXERCONTROL_CONTROLTYPE_TREBLE, " (treble fader)"},
        {MIXERCONTROL_CONTROLTYPE_VOLUME, " (volume fader)"},
        {MIXERCONTROL_CONTROLTYPE_MIXER, " (mixer)"},
        {MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT, " (multiple)"},
        {MIXERCONTROL_CONTROLTYPE_MUX, " (multiplexor)"},
        {MIXERCONTROL_CONTROLTYPE_SINGLESELECT, " (single)"},
        {MIXERCONTROL_CONTROLTYPE_BOOLEANMETER, " (boolean meter)"},
        {MIXERCONTROL_CONTROLTYPE_PEAKMETER, " (peak meter)"},
        {MIXERCONTROL_CONTROLTYPE_SIGNEDMETER, " (signed meter)"},
        {MIXERCONTROL_CONTROLTYPE_UNSIGNEDMETER, " (unsigned meter)"},
        {MIXERCONTROL_CONTROLTYPE_DECIBELS, " (decibels)"},
        {MIXERCONTROL_CONTROLTYPE_PERCENT, " (percent)"},
        {MIXERCONTROL_CONTROLTYPE_SIGNED, " (signed)"},
        {MIXERCONTROL_CONTROLTYPE_UNSIGNED, " (unsigned)"},
        {MIXERCONTROL_CONTROLTYPE_PAN, " (pan slider)"},
        {MIXERCONTROL_CONTROLTYPE_QSOUNDPAN, " (qsound pan slider)"},
        {MIXERCONTROL_CONTROLTYPE_SLIDER, " (slider)"},
        {MIXERCONTROL_CONTROLTYPE_BOOLEAN, " (boolean switch)"},
        {MIXERCONTROL_CONTROLTYPE_BUTTON, " (button)"},
        {MIXERCONTROL_CONTROLTYPE_LOUDNESS, " (loudnes switch)"},
        {MIXERCONTROL_CONTROLTYPE_MONO, " (mono switch)"},
        {MIXERCONTROL_CONTROLTYPE_MUTE, " (mute switch)"},
        {MIXERCONTROL_CONTROLTYPE_ONOFF, " (On/Off switch)"},
        {MIXERCONTROL_CONTROLTYPE_STEREOENH, " (stereo enh. switch)"},
        {MIXERCONTROL_CONTROLTYPE_MICROTIME, " (micro-time)"},
        {MIXERCONTROL_CONTROLTYPE_MILLITIME, " (milli-time)"},
        {MIXERCONTROL_CONTROLTYPE_CUSTOM, " (Custom)"},
        {0x0FFFFFFFu, " (Custom)"},                                         // any type of the custom class
        {MIXERCONTROL_CT_CLASS_FADER | MIXERCONTROL_CT_UNITS_SIGNED, ""},   // known class, unknown type
        {MIXERCONTROL_CT_CLASS_LIST, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.type);
        EXPECT_STREQ(row.text, mixerControlTypeText(row.type));
    }
}

TEST(MixerFormat, BoundsAreWidenedSignedHexWithFourDigitsAtLeast) {
    struct Row {
        LONG minimum, maximum;
        DWORD steps;
        const char* text;
    } rows[] = {
        {0, 65535, 65536, " [0000->ffff,65536 steps]"},
        {0, 1, 0, " [0000->0001,0 steps]"},
        {-1, 0x7FFFFFFF, 192, " [ffffffffffffffff->7fffffff,192 steps]"},
        {-10000, 0, 4294967295u, " [ffffffffffffd8f0->0000,4294967295 steps]"},
        {(LONG)0x80000000, 0x12345, 1, " [ffffffff80000000->12345,1 steps]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_STREQ(row.text, mixerBoundsText(row.minimum, row.maximum, row.steps).c_str());
    }
}

TEST(MixerFormat, FlagsInFixedOrder) {
    struct Row {
        DWORD flags;
        const char* text;
    } rows[] = {
        {0, ""},
        {MIXERCONTROL_CONTROLF_UNIFORM, ", UNIFORM "},
        {MIXERCONTROL_CONTROLF_MULTIPLE | MIXERCONTROL_CONTROLF_UNIFORM | MIXERCONTROL_CONTROLF_DISABLED,
         ", DISABLED , UNIFORM , MULTIPLE "},
        {MIXERCONTROL_CONTROLF_MULTIPLE | MIXERCONTROL_CONTROLF_DISABLED, ", DISABLED , MULTIPLE "},
        {0x7FFFFFFCu, ""},   // other bits are not flags the line shows
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_STREQ(row.text, mixerControlFlagsText(row.flags).c_str());
    }
}

TEST(MixerFormat, ValueTextsByUnits) {
    struct Row {
        DWORD type;
        DWORD value;
        const char* text;
    } rows[] = {
        {MIXERCONTROL_CONTROLTYPE_MUTE, 1, "ON"},
        {MIXERCONTROL_CONTROLTYPE_MUTE, 0, "OFF"},
        {MIXERCONTROL_CONTROLTYPE_BOOLEAN, 0x80000000u, "ON"},
        {MIXERCONTROL_CONTROLTYPE_SIGNED, (DWORD)-42, "-42"},
        {MIXERCONTROL_CONTROLTYPE_PAN, 0, "0"},
        {MIXERCONTROL_CONTROLTYPE_VOLUME, 0xFFFF, "ffff"},
        {MIXERCONTROL_CONTROLTYPE_VOLUME, 0x12, "0012"},
        {MIXERCONTROL_CONTROLTYPE_VOLUME, 0xFFFFFFFFu, "ffffffff"},   // unsigned: never sign-extended
        {MIXERCONTROL_CONTROLTYPE_DECIBELS, 35, "3.5dB"},
        {MIXERCONTROL_CONTROLTYPE_DECIBELS, 0, "0dB"},
        {MIXERCONTROL_CONTROLTYPE_DECIBELS, (DWORD)-60, "-6dB"},
        {MIXERCONTROL_CONTROLTYPE_DECIBELS, (DWORD)-5, "-0.5dB"},
        {MIXERCONTROL_CONTROLTYPE_PERCENT, 1000, "100%"},
        {MIXERCONTROL_CONTROLTYPE_PERCENT, 3, "0.3%"},
        {MIXERCONTROL_CONTROLTYPE_PERCENT, 0xFFFFFFFFu, "429496729.5%"},   // unsigned, not -0.1
        {MIXERCONTROL_CONTROLTYPE_CUSTOM, 7, ""},
        {MIXERCONTROL_CT_CLASS_NUMBER | 0x00060000u, 7, ""},   // units beyond the known five
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_STREQ(row.text, mixerValueText(row.type, row.value).c_str());
    }
}

TEST(MixerFormat, OpenErrorTexts) {
    struct Row {
        MMRESULT result;
        const char* text;
    } rows[] = {
        {MMSYSERR_BADDEVICEID, " - bad device ID"},
        {MMSYSERR_ALLOCATED, " - totally allocated"},
        {MMSYSERR_INVALHANDLE, " - invalid handle"},
        {MMSYSERR_NODRIVER, " - device unavailable"},
        {MMSYSERR_NOMEM, " - unable to allocate resources"},
        {MMSYSERR_INVALFLAG, " - invalid flags"},
        {MMSYSERR_INVALPARAM, " - invalid open parameter"},
        {MMSYSERR_ERROR, nullptr},
        {MMSYSERR_NOTSUPPORTED, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.result);
        const char* text = mixerOpenErrorText(row.result);
        if (row.text)
            EXPECT_STREQ(row.text, text);
        else
            EXPECT_EQ(nullptr, text);
    }
}

TEST(MixerFormat, ControlLineJoinsNameTypeBoundsAndFlags) {
    MIXERCONTROLA control;
    std::memset(&control, 0, sizeof control);
    std::strcpy(control.szName, "Master Volume");
    control.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    control.fdwControl = MIXERCONTROL_CONTROLF_UNIFORM;
    control.Bounds.lMinimum = 0;
    control.Bounds.lMaximum = 0xFFFF;
    control.Metrics.cSteps = 192;
    EXPECT_STREQ("            Master Volume (volume fader) [0000->ffff,192 steps], UNIFORM ",
                 mixerControlLine(control).c_str());

    // A name that fills its whole field is cut there, not read on into szName's
    // neighbours.
    std::memset(control.szName, 'N', sizeof control.szName);
    control.dwControlType = MIXERCONTROL_CONTROLTYPE_CUSTOM;
    control.fdwControl = 0;
    EXPECT_EQ(
        std::string(12, ' ') + std::string(MIXER_LONG_NAME_CHARS, 'N') + " (Custom) [0000->ffff,192 steps]",
        mixerControlLine(control).c_str());
}

}   // namespace
