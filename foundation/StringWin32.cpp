// The two String operations that need Windows.
#include "foundation/String.h"
#include "foundation/Win32.h"
#include "foundation/DynamicCalls.h"

String String::longPathForm() const {
    // Windows 95 has no GetLongPathNameA: it comes from the run-time table.
    auto getLongPathName = dynamicCalls().getLongPathNameA;
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
