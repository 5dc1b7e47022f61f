// The multimedia (winmm) and audio compression manager (msacm32) functions
// the audio sections call, looked up at first use instead of imported.
//
// Both libraries start audio drivers of their own accord: Wine's msacm32
// opens every registered codec driver while it loads, and winmm loads the
// wave mapper, which loads msacm32.  An import would load them into every
// process of this image before its first line of code, so a codec driver
// that never answers its open message would hang the program itself at
// start, with no report at all.  Looked up only here, they are loaded in the
// probe helper process that runs the audio sections (report/ProbeHelper.h),
// or, when no helper can be had, only when the section runs.
#pragma once

#include "foundation/Win32.h"

#include <mmsystem.h>
#include <mmreg.h>   // before msacm.h, which uses its WAVEFORMATEX types
#include <msacm.h>

struct WinmmFunctions {
    decltype(&::mixerGetNumDevs) mixerGetNumDevs;
    decltype(&::mixerOpen) mixerOpen;
    decltype(&::mixerClose) mixerClose;
    decltype(&::mixerGetDevCapsA) mixerGetDevCapsA;
    decltype(&::mixerGetLineInfoA) mixerGetLineInfoA;
    decltype(&::mixerGetLineControlsA) mixerGetLineControlsA;
    decltype(&::mixerGetControlDetailsA) mixerGetControlDetailsA;
    decltype(&::waveInGetNumDevs) waveInGetNumDevs;
    decltype(&::waveInGetDevCapsA) waveInGetDevCapsA;
    decltype(&::waveOutGetNumDevs) waveOutGetNumDevs;
    decltype(&::waveOutGetDevCapsA) waveOutGetDevCapsA;
    decltype(&::auxGetNumDevs) auxGetNumDevs;
    decltype(&::auxGetDevCapsA) auxGetDevCapsA;
};

struct AcmFunctions {
    decltype(&::acmDriverEnum) acmDriverEnum;
    decltype(&::acmDriverDetailsA) acmDriverDetailsA;
    decltype(&::acmMetrics) acmMetrics;
    decltype(&::acmDriverOpen) acmDriverOpen;
    decltype(&::acmDriverClose) acmDriverClose;
    decltype(&::acmFormatTagEnumA) acmFormatTagEnumA;
};

// Each library is loaded from the system folder on the first call for it.
// An entry is null when the library or the function is missing.
const WinmmFunctions& winmmFunctions();
const AcmFunctions& acmFunctions();
