#include "audio/MixerSection.h"

#include "audio/AudioLibraries.h"

#include <cstring>
#include <vector>

#include "audio/MixerFormat.h"

namespace {

// Counts come from the driver.  Real lines have a handful of controls and
// channels; a count beyond this is treated as a failed read instead of being
// trusted with an allocation that could wrap or exhaust the address space.
constexpr uint64_t kMaximumEntries = 0x10000;

String fieldText(const char* field, size_t size) { return String(field, strnlen(field, size)); }

HMIXEROBJ object(HMIXER mixer) { return reinterpret_cast<HMIXEROBJ>(mixer); }

bool readControls(const MixerCalls& calls, HMIXER mixer, const MIXERLINEA& line,
                  std::vector<MIXERCONTROLA>& controls) {
    controls.clear();
    if (line.cControls > kMaximumEntries) return false;
    // One spare entry so that a line without controls still passes a valid
    // buffer; whether the driver accepts a zero count is its own decision.
    std::vector<MIXERCONTROLA> buffer(line.cControls + 1, MIXERCONTROLA());
    MIXERLINECONTROLSA request;
    std::memset(&request, 0, sizeof request);
    request.cbStruct = sizeof request;
    request.dwLineID = line.dwLineID;
    request.cControls = line.cControls;
    request.cbmxctrl = sizeof(MIXERCONTROLA);   // 148 bytes
    request.pamxctrl = buffer.data();
    if (calls.getLineControls(object(mixer), &request, MIXER_GETLINECONTROLSF_ALL) != MMSYSERR_NOERROR)
        return false;
    controls.assign(buffer.begin(), buffer.begin() + line.cControls);
    return true;
}

void describeControl(LineWriter& out, const MixerCalls& calls, HMIXER mixer, const MIXERLINEA& line,
                     const MIXERCONTROLA& control) {
    String text = mixerControlLine(control);
    if ((control.dwControlType & MIXERCONTROL_CT_CLASS_MASK) == MIXERCONTROL_CT_CLASS_CUSTOM) {
        out.writeLine(text);
        return;
    }

    DWORD channels = (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : line.cChannels;
    DWORD items = (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.cMultipleItems : 1;
    uint64_t entries = (uint64_t)channels * items;
    if (entries > kMaximumEntries) return;   // as if the values could not be read
    size_t values = (size_t)entries;

    MIXERCONTROLDETAILS details;
    std::memset(&details, 0, sizeof details);
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = channels;
    // For a multiple-item control cMultipleItems says how many items per
    // channel the buffer holds; for the others it must be zero.
    details.cMultipleItems =
        (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.cMultipleItems : 0;

    std::vector<MIXERCONTROLDETAILS_LISTTEXTA> texts(values + 1);
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_LISTTEXTA);   // 72 bytes
    details.paDetails = texts.data();
    bool haveTexts = calls.getControlDetails(object(mixer), &details, MIXER_GETCONTROLDETAILSF_LISTTEXT) ==
                     MMSYSERR_NOERROR;

    std::vector<DWORD> settings(values + 1);
    details.cbDetails = sizeof(DWORD);
    details.paDetails = settings.data();
    if (calls.getControlDetails(object(mixer), &details, MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
        return;

    if (haveTexts) {
        out.writeLine(text);
        for (size_t k = 0; k < values; ++k) {
            out.writeLine(String(' ', 13) + "- " + fieldText(texts[k].szName, MIXER_LONG_NAME_CHARS) + "=" +
                          mixerValueText(control.dwControlType, settings[k]));
        }
        return;
    }
    text += ", setting: [";
    for (size_t k = 0; k < values; ++k)
        text += String(" ") + mixerValueText(control.dwControlType, settings[k]);
    text += " ]";
    out.writeLine(text);
}

void describeControls(LineWriter& out, const MixerCalls& calls, HMIXER mixer, const MIXERLINEA& line,
                      const std::vector<MIXERCONTROLA>& controls) {
    for (const MIXERCONTROLA& control : controls) describeControl(out, calls, mixer, line, control);
}

void listDestinations(LineWriter& out, const MixerCalls& calls, HMIXER mixer, DWORD destinations) {
    for (DWORD d = 0; d < destinations; ++d) {
        MIXERLINEA destination;
        std::memset(&destination, 0, sizeof destination);
        destination.cbStruct = sizeof destination;
        destination.dwDestination = d;
        if (calls.getLineInfo(object(mixer), &destination, MIXER_GETLINEINFOF_DESTINATION) !=
            MMSYSERR_NOERROR)
            continue;
        out.writeLine(String(' ', 6) + fieldText(destination.szName, MIXER_LONG_NAME_CHARS));
        std::vector<MIXERCONTROLA> controls;
        if (readControls(calls, mixer, destination, controls))
            describeControls(out, calls, mixer, destination, controls);

        for (DWORD s = 0; s < destination.cConnections; ++s) {
            MIXERLINEA source;
            std::memset(&source, 0, sizeof source);
            source.cbStruct = sizeof source;
            source.dwDestination = d;
            source.dwSource = s;
            if (calls.getLineInfo(object(mixer), &source, MIXER_GETLINEINFOF_SOURCE) != MMSYSERR_NOERROR)
                continue;
            if (!readControls(calls, mixer, source, controls)) continue;
            out.writeLine(String(' ', 9) + fieldText(source.szName, MIXER_LONG_NAME_CHARS));
            describeControls(out, calls, mixer, source, controls);
        }
    }
}

}   // namespace

const MixerCalls& winmmMixerCalls() {
    static const MixerCalls calls = [] {
        const WinmmFunctions& f = winmmFunctions();
        MixerCalls c = {f.mixerGetNumDevs,   f.mixerOpen,         f.mixerClose,
                        f.mixerGetDevCapsA,  f.mixerGetLineInfoA, f.mixerGetLineControlsA,
                        f.mixerGetControlDetailsA};
        // Without winmm (a damaged system) the section lists no mixers
        // rather than calling through a null entry.
        if (!c.open || !c.close || !c.getDevCaps || !c.getLineInfo || !c.getLineControls ||
            !c.getControlDetails)
            c.getNumDevs = nullptr;
        return c;
    }();
    return calls;
}

namespace {

void writeMixerSection(LineWriter& out, const MixerCalls* given, unsigned firstMixer) {
    if (firstMixer == 0) out.writeLine(String("System audio mixers"));
    const MixerCalls& calls = given ? *given : winmmMixerCalls();
    const UINT count = calls.getNumDevs ? calls.getNumDevs() : 0;
    for (UINT m = firstMixer; m < count; ++m) {
        out.markItem(m);
        String line = String("   Mixer #") + String::decimal(m);
        HMIXER mixer = nullptr;
        MMRESULT opened = calls.open(&mixer, m, 0, 0, 0);
        if (opened != MMSYSERR_NOERROR) {
            if (const char* error = mixerOpenErrorText(opened)) out.writeLine(line + error);
            continue;
        }
        MIXERCAPSA caps;
        std::memset(&caps, 0, sizeof caps);
        DWORD destinations = 0;
        if (calls.getDevCaps(m, &caps, sizeof caps) == MMSYSERR_NOERROR) {
            line += String(" = ") + fieldText(caps.szPname, MAXPNAMELEN);
            destinations = caps.cDestinations;
        }
        out.writeLine(line);
        listDestinations(out, calls, mixer, destinations);
        // Closed here: every "Get info" opens each mixer again, and handles
        // left open would pile up for the life of the program.
        calls.close(mixer);
    }
    out.writeLine(String());
}

}   // namespace

void writeMixerLines(LineWriter& out, unsigned firstMixer) { writeMixerSection(out, nullptr, firstMixer); }

void writeMixerLines(LineWriter& out, const MixerCalls& calls, unsigned firstMixer) {
    writeMixerSection(out, &calls, firstMixer);
}
