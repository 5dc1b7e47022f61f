// One file of the demo installation (see DemoModules.h).  The programs only
// say what they are when started; the plug-ins answer the ZQT entry point the
// way a real plug-in does; the libraries and the driver stand-in have nothing
// to do (they are there to be found and described).
#include "foundation/Win32.h"

#include "simulator/demo/DemoModules.h"

#if defined(DEMO_PROGRAM)

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr,
                DEMO_DESCRIPTION " is part of the demo installation of the " DEMO_PRODUCT
                                 ".\nIt stands in for the real program, which is not installed here.",
                DEMO_DESCRIPTION, MB_OK | MB_ICONINFORMATION);
    return 0;
}

#elif defined(DEMO_PLUGIN_HOST)

// version is 256 from every host; the name buffer belongs to the caller.
extern "C" int __stdcall zqtPluginInit(int version, const char* hostText, char* nameBuffer,
                                       int nameBufferSize) {
    if (version != 256 || hostText == nullptr || nameBuffer == nullptr || nameBufferSize <= 0) return 0;
    if (lstrcmpA(hostText, DEMO_PLUGIN_HOST) != 0) return 0;
    lstrcpynA(nameBuffer, DEMO_PLUGIN_NAME, nameBufferSize);
    return 1;
}

#else

extern "C" __declspec(dllexport) int __stdcall demoModuleVersion() { return (DEMO_MODULE << 16) | 1; }

#endif
