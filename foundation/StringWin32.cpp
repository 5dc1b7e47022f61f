// The two String operations that need Windows.
#include "foundation/String.h"
#include "foundation/Win32.h"

namespace {
// Windows 95 has no GetLongPathNameA: importing it would stop the loader, so it
// is looked up once at run time.
using GetLongPathNameAFn = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
GetLongPathNameAFn longPathFunction() {
    static GetLongPathNameAFn fn = reinterpret_cast<GetLongPathNameAFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetLongPathNameA")));
    return fn;
}
}  // namespace

String String::longPathForm() const {
    GetLongPathNameAFn getLongPathName = longPathFunction();
    if (!getLongPathName || isEmpty()) return String();
    // First ask for the size (terminator included), then fill a buffer of it.
    DWORD needed = getLongPathName(c_str(), nullptr, 0);
    if (needed == 0) return String();
    String result = reserved(needed);
    DWORD written = getLongPathName(c_str(), result.buffer(), needed);
    if (written == 0 || written >= needed) return String();
    return result.recomputeLength();
}

int String::toWide(wchar_t* buffer, int bufferCharacters, unsigned codePage) const {
    return MultiByteToWideChar(codePage, MB_PRECOMPOSED, c_str(), static_cast<int>(length()) + 1,
                               buffer, bufferCharacters);
}
