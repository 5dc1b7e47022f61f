#include "audio/DeviceSections.h"

#include <cstring>

#include "audio/AudioLibraries.h"
#include "audio/DeviceFormat.h"

namespace {

template <typename Caps>
String productName(const Caps& caps) {
    return String(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname));
}

// Everything the two enumeration callbacks need; ACM hands it back as the
// instance value.
struct CodecContext {
    LineWriter* out;
    const AcmFunctions* acm;
    unsigned next;    // the enumeration's index of the driver it hands over next
    unsigned first;   // drivers before this one are already in the report
};

BOOL CALLBACK onFormatTag(HACMDRIVERID, LPACMFORMATTAGDETAILSA details, DWORD_PTR instance, DWORD) {
    auto* context = reinterpret_cast<CodecContext*>(instance);
    context->out->writeLine(
        codecFormatTagLine(details->szFormatTag, details->dwFormatTag, details->cbFormatSize));
    return TRUE;
}

void writeMetric(const CodecContext& context, HACMDRIVERID driver, UINT metric, const char* label) {
    LineWriter& out = *context.out;
    DWORD value = 0;
    if (context.acm->acmMetrics(reinterpret_cast<HACMOBJ>(driver), metric, &value) == MMSYSERR_NOERROR)
        out.writeLine(String(label) + String::decimal(value));
}

BOOL CALLBACK onDriver(HACMDRIVERID driver, DWORD_PTR instance, DWORD support) {
    auto* context = reinterpret_cast<CodecContext*>(instance);
    LineWriter& out = *context->out;
    const AcmFunctions& acm = *context->acm;
    const unsigned index = context->next++;
    if (index < context->first) return TRUE;
    out.markItem(index);

    ACMDRIVERDETAILSA details;
    std::memset(&details, 0, sizeof details);
    details.cbStruct = sizeof details;
    if (acm.acmDriverDetailsA(driver, &details, 0) != MMSYSERR_NOERROR) return TRUE;

    // The flags of the enumeration, not those of the details: they also say
    // whether the driver is disabled right now.
    out.writeLine(codecDriverLine(details.szLongName, support));
    writeMetric(*context, driver, ACM_METRIC_DRIVER_PRIORITY, "   Priority: ");
    writeMetric(*context, driver, ACM_METRIC_MAX_SIZE_FILTER, "   Filter size: ");
    writeMetric(*context, driver, ACM_METRIC_MAX_SIZE_FORMAT, "   Format size: ");

    HACMDRIVER opened = nullptr;
    if (acm.acmDriverOpen(&opened, driver, 0) == MMSYSERR_NOERROR) {
        ACMFORMATTAGDETAILSA tag;
        std::memset(&tag, 0, sizeof tag);
        tag.cbStruct = sizeof tag;
        acm.acmFormatTagEnumA(opened, &tag, onFormatTag, instance, 0);
        // Closed again so that repeated reports do not keep every codec loaded
        // with one more open instance each time.
        acm.acmDriverClose(opened, 0);
    }
    out.writeLine(String());
    return TRUE;
}

}   // namespace

namespace {

// Wave-in and wave-out capabilities differ only in their structure type and
// query function; both report formats and channels.
template <class Caps>
DeviceCaps waveCaps(MMRESULT(WINAPI* query)(UINT_PTR, Caps*, UINT), unsigned index) {
    DeviceCaps result;
    Caps caps;
    std::memset(&caps, 0, sizeof caps);
    result.result = query(index, &caps, sizeof caps);
    if (result.result == MMSYSERR_NOERROR) {
        result.name = productName(caps);
        result.bracketed = caps.dwFormats;
        result.angled = caps.wChannels;
    }
    return result;
}

}   // namespace

DeviceCaps waveInCaps(unsigned index) { return waveCaps(winmmFunctions().waveInGetDevCapsA, index); }

DeviceCaps waveOutCaps(unsigned index) { return waveCaps(winmmFunctions().waveOutGetDevCapsA, index); }

DeviceCaps auxCaps(unsigned index) {
    DeviceCaps result;
    AUXCAPSA caps;
    std::memset(&caps, 0, sizeof caps);
    result.result = winmmFunctions().auxGetDevCapsA(index, &caps, sizeof caps);
    if (result.result == MMSYSERR_NOERROR) {
        result.name = productName(caps);
        result.bracketed = caps.wTechnology;
        result.angled = caps.dwSupport;
    }
    return result;
}

void writeDeviceBlock(LineWriter& out, const char* heading, unsigned count, DeviceCapsQuery query) {
    if (count == 0) return;
    out.writeLine(String(heading));
    for (unsigned n = 0; n < count; ++n) {
        DeviceCaps caps = query(n);
        if (caps.result == MMSYSERR_NOERROR)
            out.writeLine(deviceCapsLine(n, caps.name.c_str(), caps.bracketed, caps.angled));
        else
            out.writeLine(deviceErrorLine(n, caps.result));
    }
}

void writeWaveAuxLines(LineWriter& out) {
    // A missing function (no winmm at all) counts as no devices of its kind.
    const WinmmFunctions& f = winmmFunctions();
    const auto count = [](UINT(WINAPI * getNumDevs)(), bool canQuery) {
        return getNumDevs && canQuery ? getNumDevs() : 0u;
    };
    writeDeviceBlock(out, "System wave in devices:", count(f.waveInGetNumDevs, f.waveInGetDevCapsA != nullptr),
                     waveInCaps);
    writeDeviceBlock(out, "System wave out devices:",
                     count(f.waveOutGetNumDevs, f.waveOutGetDevCapsA != nullptr), waveOutCaps);
    writeDeviceBlock(out, "System aux devices:", count(f.auxGetNumDevs, f.auxGetDevCapsA != nullptr), auxCaps);
}

void writeCodecLines(LineWriter& out, unsigned firstDriver) {
    if (firstDriver == 0) {
        out.writeLine(String());
        out.writeLine(String("ACM system"));
    }
    const AcmFunctions& acm = acmFunctions();
    if (!acm.acmDriverEnum || !acm.acmDriverDetailsA || !acm.acmMetrics || !acm.acmDriverOpen ||
        !acm.acmDriverClose || !acm.acmFormatTagEnumA)
        return;
    CodecContext context{&out, &acm, 0, firstDriver};
    acm.acmDriverEnum(onDriver, reinterpret_cast<DWORD_PTR>(&context), ACM_DRIVERENUMF_DISABLED);
}
