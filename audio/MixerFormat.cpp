#include "audio/MixerFormat.h"

#include <cstring>

namespace {

struct TypeName {
    DWORD type;
    const char* text;
};

// "loudnes" and the second blank before "(bass" are what support engineers
// grep for in reports they already have; they stay as they are.
const TypeName kTypeNames[] = {
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
};

String boundText(LONG bound) { return String::hex((uint64_t)(int64_t)bound, 4); }

// Tenths as the report's fixed-point numbers: at most one decimal, "3.5",
// "0", "-6" (no trailing ".0").
String tenths(double value) { return String::fixedPoint(value / 10.0, 0, 1); }

}   // namespace

const char* mixerControlTypeText(DWORD controlType) {
    if ((controlType & MIXERCONTROL_CT_CLASS_MASK) == MIXERCONTROL_CT_CLASS_CUSTOM) return " (Custom)";
    for (const TypeName& entry : kTypeNames) {
        if (entry.type == controlType) return entry.text;
    }
    return "";
}

String mixerBoundsText(LONG minimum, LONG maximum, DWORD steps) {
    return String(" [") + boundText(minimum) + "->" + boundText(maximum) + "," + String::decimal(steps) +
           " steps]";
}

String mixerControlFlagsText(DWORD controlFlags) {
    String text;
    if (controlFlags & MIXERCONTROL_CONTROLF_DISABLED) text += ", DISABLED ";
    if (controlFlags & MIXERCONTROL_CONTROLF_UNIFORM) text += ", UNIFORM ";
    if (controlFlags & MIXERCONTROL_CONTROLF_MULTIPLE) text += ", MULTIPLE ";
    return text;
}

String mixerValueText(DWORD controlType, DWORD value) {
    switch (controlType & MIXERCONTROL_CT_UNITS_MASK) {
    case MIXERCONTROL_CT_UNITS_BOOLEAN:
        return String(value != 0 ? "ON" : "OFF");
    case MIXERCONTROL_CT_UNITS_SIGNED:
        return String::decimal((int32_t)value);
    case MIXERCONTROL_CT_UNITS_UNSIGNED:
        return String::hex(value, 4);
    case MIXERCONTROL_CT_UNITS_DECIBELS:
        return tenths((int32_t)value) + "dB";
    case MIXERCONTROL_CT_UNITS_PERCENT:
        return tenths(value) + "%";
    default:
        return String();
    }
}

const char* mixerOpenErrorText(MMRESULT result) {
    switch (result) {
    case MMSYSERR_BADDEVICEID:
        return " - bad device ID";
    case MMSYSERR_ALLOCATED:
        return " - totally allocated";
    case MMSYSERR_INVALHANDLE:
        return " - invalid handle";
    case MMSYSERR_NODRIVER:
        return " - device unavailable";
    case MMSYSERR_NOMEM:
        return " - unable to allocate resources";
    case MMSYSERR_INVALFLAG:
        return " - invalid flags";
    case MMSYSERR_INVALPARAM:
        return " - invalid open parameter";
    default:
        return nullptr;
    }
}

String mixerControlLine(const MIXERCONTROLA& control) {
    // szName is a fixed field; a driver that fills it completely leaves no zero.
    String line = String(' ', 12) + String(control.szName, strnlen(control.szName, MIXER_LONG_NAME_CHARS));
    line += mixerControlTypeText(control.dwControlType);
    line += mixerBoundsText(control.Bounds.lMinimum, control.Bounds.lMaximum, control.Metrics.cSteps);
    line += mixerControlFlagsText(control.fdwControl);
    return line;
}
