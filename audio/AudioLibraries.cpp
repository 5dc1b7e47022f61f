#include "audio/AudioLibraries.h"

#include "foundation/DynamicCalls.h"
#include "foundation/ProcAddress.h"

const WinmmFunctions& winmmFunctions() {
    static const WinmmFunctions f = [] {
        WinmmFunctions loaded{};
        HMODULE winmm = loadSystemLibrary("winmm.dll");
        lookUp(loaded.mixerGetNumDevs, winmm, "mixerGetNumDevs");
        lookUp(loaded.mixerOpen, winmm, "mixerOpen");
        lookUp(loaded.mixerClose, winmm, "mixerClose");
        lookUp(loaded.mixerGetDevCapsA, winmm, "mixerGetDevCapsA");
        lookUp(loaded.mixerGetLineInfoA, winmm, "mixerGetLineInfoA");
        lookUp(loaded.mixerGetLineControlsA, winmm, "mixerGetLineControlsA");
        lookUp(loaded.mixerGetControlDetailsA, winmm, "mixerGetControlDetailsA");
        lookUp(loaded.waveInGetNumDevs, winmm, "waveInGetNumDevs");
        lookUp(loaded.waveInGetDevCapsA, winmm, "waveInGetDevCapsA");
        lookUp(loaded.waveOutGetNumDevs, winmm, "waveOutGetNumDevs");
        lookUp(loaded.waveOutGetDevCapsA, winmm, "waveOutGetDevCapsA");
        lookUp(loaded.auxGetNumDevs, winmm, "auxGetNumDevs");
        lookUp(loaded.auxGetDevCapsA, winmm, "auxGetDevCapsA");
        return loaded;
    }();
    return f;
}

const AcmFunctions& acmFunctions() {
    static const AcmFunctions f = [] {
        AcmFunctions loaded{};
        HMODULE acm = loadSystemLibrary("msacm32.dll");
        lookUp(loaded.acmDriverEnum, acm, "acmDriverEnum");
        lookUp(loaded.acmDriverDetailsA, acm, "acmDriverDetailsA");
        lookUp(loaded.acmMetrics, acm, "acmMetrics");
        lookUp(loaded.acmDriverOpen, acm, "acmDriverOpen");
        lookUp(loaded.acmDriverClose, acm, "acmDriverClose");
        lookUp(loaded.acmFormatTagEnumA, acm, "acmFormatTagEnumA");
        return loaded;
    }();
    return f;
}
