// Stand-in ZQT plug-ins for the file-description tests.  One source, built
// several times with different behaviour (see CMakeLists.txt):
//   Q8_PLUGIN_ANSWER=k   answers only to host text k (-1: to none)
//   Q8_PLUGIN_FAULT      dereferences a null pointer inside the entry point
//   Q8_PLUGIN_FILL       fills the whole name buffer, no terminating zero
//   Q8_PLUGIN_HELPER     takes its name from q8plugin_helper.dll, which lies
//                        only in the plug-in's own folder
// A plug-in answers only when it is called with version 256 and a 1024-byte
// buffer, so a caller that passes the arguments wrong sees no answer.
#include "receiver/PluginHosts.h"

#include <cstring>

#ifdef Q8_PLUGIN_HELPER
extern "C" __declspec(dllimport) const char* __stdcall q8HelperName();
#endif

extern "C" int __stdcall zqtPluginInit(int version, const char* hostText, char* nameBuffer,
                                       int nameBufferSize) {
#ifdef Q8_PLUGIN_FAULT
    volatile int* nowhere = nullptr;
    *nowhere = version;
#endif
    if (version != pluginInterfaceVersion || nameBufferSize != pluginNameBufferSize) return 0;
    if (Q8_PLUGIN_ANSWER < 0 ||
        std::strcmp(hostText, pluginHostTexts[Q8_PLUGIN_ANSWER < 0 ? 0 : Q8_PLUGIN_ANSWER]) != 0)
        return 0;
#if defined(Q8_PLUGIN_FILL)
    std::memset(nameBuffer, 'N', nameBufferSize);
#elif defined(Q8_PLUGIN_HELPER)
    std::strcpy(nameBuffer, q8HelperName());
#else
    std::strcpy(nameBuffer, Q8_PLUGIN_NAME);
#endif
    return 1;
}
