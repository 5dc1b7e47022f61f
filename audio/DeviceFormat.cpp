#include "audio/DeviceFormat.h"

#include <mmreg.h>   // before msacm.h, which uses its WAVEFORMATEX types
#include <msacm.h>

#include <cstring>

namespace {

// The capability records keep names in fixed arrays; bounded so that a name
// that fills its array is not read past it.
String boundedText(const char* text, size_t size) { return String(text, strnlen(text, size)); }

}   // namespace

String deviceCapsLine(unsigned index, const char* productName, DWORD bracketed, DWORD angled) {
    return String::decimal(index) + ": " + boundedText(productName, MAXPNAMELEN) + " [" +
           String::hex(bracketed) + "] <" + String::decimal(angled) + ">";
}

String deviceErrorLine(unsigned index, MMRESULT result) {
    return String::decimal(index) + ": ERR:" + String::decimal(result);
}

String codecSupportText(DWORD support) {
    static const struct {
        DWORD flag;
        const char* text;
    } kFlags[] = {
        {ACMDRIVERDETAILS_SUPPORTF_ASYNC, " ASYNC"},         {ACMDRIVERDETAILS_SUPPORTF_CODEC, " CODEC"},
        {ACMDRIVERDETAILS_SUPPORTF_CONVERTER, " CONVERTER"}, {ACMDRIVERDETAILS_SUPPORTF_FILTER, " FILTER"},
        {ACMDRIVERDETAILS_SUPPORTF_DISABLED, " DISABLED"},
    };
    String text("  [");
    for (const auto& entry : kFlags) {
        if (support & entry.flag) text += entry.text;
    }
    text += " ]";
    return text;
}

String codecDriverLine(const char* longName, DWORD support) {
    return String("   ") + boundedText(longName, ACMDRIVERDETAILS_LONGNAME_CHARS) + codecSupportText(support);
}

String codecFormatTagLine(const char* tagName, DWORD formatTag, DWORD formatSize) {
    return String(' ', 6) + boundedText(tagName, ACMFORMATTAGDETAILS_FORMATTAG_CHARS) + " [" +
           String::decimal(formatTag) + "] size=" + String::decimal(formatSize);
}
