#include "audio/AudioLibraries.h"

#include "foundation/DynamicCalls.h"
#include "foundation/ProcAddress.h"

namespace {

void lookUpWinmm(AudioLibraries& f) {
    HMODULE winmm = loadSystemLibrary("winmm.dll");
    lookUp(f.mixerGetNumDevs, winmm, "mixerGetNumDevs");
    lookUp(f.mixerOpen, winmm, "mixerOpen");
    lookUp(f.mixerClose, winmm, "mixerClose");
    lookUp(f.mixerGetDevCapsA, winmm, "mixerGetDevCapsA");
    lookUp(f.mixerGetLineInfoA, winmm, "mixerGetLineInfoA");
    lookUp(f.mixerGetLineControlsA, winmm, "mixerGetLineControlsA");
    lookUp(f.mixerGetControlDetailsA, winmm, "mixerGetControlDetailsA");
    lookUp(f.waveInGetNumDevs, winmm, "waveInGetNumDevs");
    lookUp(f.waveInGetDevCapsA, winmm, "waveInGetDevCapsA");
    lookUp(f.waveOutGetNumDevs, winmm, "waveOutGetNumDevs");
    lookUp(f.waveOutGetDevCapsA, winmm, "waveOutGetDevCapsA");
    lookUp(f.auxGetNumDevs, winmm, "auxGetNumDevs");
    lookUp(f.auxGetDevCapsA, winmm, "auxGetDevCapsA");
}

AudioLibraries& functions() {
    static AudioLibraries f = [] {
        AudioLibraries loaded{};
        lookUpWinmm(loaded);
        return loaded;
    }();
    return f;
}

}   // namespace

const AudioLibraries& winmmFunctions() { return functions(); }

const AudioLibraries& acmFunctions() {
    static const bool done = [] {
        AudioLibraries& f = functions();
        HMODULE acm = loadSystemLibrary("msacm32.dll");
        lookUp(f.acmDriverEnum, acm, "acmDriverEnum");
        lookUp(f.acmDriverDetailsA, acm, "acmDriverDetailsA");
        lookUp(f.acmMetrics, acm, "acmMetrics");
        lookUp(f.acmDriverOpen, acm, "acmDriverOpen");
        lookUp(f.acmDriverClose, acm, "acmDriverClose");
        lookUp(f.acmFormatTagEnumA, acm, "acmFormatTagEnumA");
        return true;
    }();
    (void)done;
    return functions();
}
