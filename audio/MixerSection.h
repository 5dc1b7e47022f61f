// "System audio mixers": every mixer, its destination and source lines, and
// every control with type, bounds, flags and current setting.
#pragma once

#include "foundation/LineWriter.h"
#include "foundation/Win32.h"

#include <mmsystem.h>

// The mixer functions the section calls.  The program uses winmm's; tests put
// in their own to produce failures no real driver gives on demand.
struct MixerCalls {
    UINT(WINAPI* getNumDevs)();
    MMRESULT(WINAPI* open)(LPHMIXER, UINT, DWORD_PTR, DWORD_PTR, DWORD);
    MMRESULT(WINAPI* close)(HMIXER);
    MMRESULT(WINAPI* getDevCaps)(UINT_PTR, LPMIXERCAPSA, UINT);
    MMRESULT(WINAPI* getLineInfo)(HMIXEROBJ, LPMIXERLINEA, DWORD);
    MMRESULT(WINAPI* getLineControls)(HMIXEROBJ, LPMIXERLINECONTROLSA, DWORD);
    MMRESULT(WINAPI* getControlDetails)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);
};

// winmm's, looked up at first use (audio/AudioLibraries.h).
const MixerCalls& winmmMixerCalls();

// The heading, every mixer from firstMixer on (each one marked as an item),
// and the closing empty line.  firstMixer > 0 goes on after a mixer that did
// not answer in a helper process: no heading then, the mixers before it are
// already in the report.  winmm is looked up only once the heading is out:
// loading it starts the audio drivers, which may never return.
void writeMixerLines(LineWriter& out, unsigned firstMixer = 0);
// The same over the given functions (tests put in their own).
void writeMixerLines(LineWriter& out, const MixerCalls& calls, unsigned firstMixer = 0);
