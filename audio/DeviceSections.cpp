#include "audio/DeviceSections.h"

#include <mmreg.h>   // before msacm.h, which uses its WAVEFORMATEX types
#include <msacm.h>

#include <cstring>

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
};

BOOL CALLBACK onFormatTag(HACMDRIVERID, LPACMFORMATTAGDETAILSA details, DWORD_PTR instance, DWORD) {
    auto* context = reinterpret_cast<CodecContext*>(instance);
    context->out->writeLine(
        codecFormatTagLine(details->szFormatTag, details->dwFormatTag, details->cbFormatSize));
    return TRUE;
}

void writeMetric(LineWriter& out, HACMDRIVERID driver, UINT metric, const char* label) {
    DWORD value = 0;
    if (acmMetrics(reinterpret_cast<HACMOBJ>(driver), metric, &value) == MMSYSERR_NOERROR)
        out.writeLine(String(label) + String::decimal(value));
}

BOOL CALLBACK onDriver(HACMDRIVERID driver, DWORD_PTR instance, DWORD support) {
    auto* context = reinterpret_cast<CodecContext*>(instance);
    LineWriter& out = *context->out;

    ACMDRIVERDETAILSA details;
    std::memset(&details, 0, sizeof details);
    details.cbStruct = sizeof details;
    if (acmDriverDetailsA(driver, &details, 0) != MMSYSERR_NOERROR) return TRUE;

    // The flags of the enumeration, not those of the details: they also say
    // whether the driver is disabled right now.
    out.writeLine(codecDriverLine(details.szLongName, support));
    writeMetric(out, driver, ACM_METRIC_DRIVER_PRIORITY, "   Priority: ");
    writeMetric(out, driver, ACM_METRIC_MAX_SIZE_FILTER, "   Filter size: ");
    writeMetric(out, driver, ACM_METRIC_MAX_SIZE_FORMAT, "   Format size: ");

    HACMDRIVER opened = nullptr;
    if (acmDriverOpen(&opened, driver, 0) == MMSYSERR_NOERROR) {
        ACMFORMATTAGDETAILSA tag;
        std::memset(&tag, 0, sizeof tag);
        tag.cbStruct = sizeof tag;
        acmFormatTagEnumA(opened, &tag, onFormatTag, instance, 0);
        // Closed again so that repeated reports do not keep every codec loaded
        // with one more open instance each time.
        acmDriverClose(opened, 0);
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

DeviceCaps waveInCaps(unsigned index) { return waveCaps(waveInGetDevCapsA, index); }

DeviceCaps waveOutCaps(unsigned index) { return waveCaps(waveOutGetDevCapsA, index); }

DeviceCaps auxCaps(unsigned index) {
    DeviceCaps result;
    AUXCAPSA caps;
    std::memset(&caps, 0, sizeof caps);
    result.result = auxGetDevCapsA(index, &caps, sizeof caps);
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
    writeDeviceBlock(out, "System wave in devices:", waveInGetNumDevs(), waveInCaps);
    writeDeviceBlock(out, "System wave out devices:", waveOutGetNumDevs(), waveOutCaps);
    writeDeviceBlock(out, "System aux devices:", auxGetNumDevs(), auxCaps);
}

void writeCodecLines(LineWriter& out) {
    out.writeLine(String());
    out.writeLine(String("ACM system"));
    CodecContext context{&out};
    acmDriverEnum(onDriver, reinterpret_cast<DWORD_PTR>(&context), ACM_DRIVERENUMF_DISABLED);
}
