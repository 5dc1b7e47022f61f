// The two String operations that need Windows.
#include "foundation/String.h"
#include "foundation/Win32.h"
#include "foundation/DynamicCalls.h"
#include "foundation/Files.h"
#include "foundation/LongPathForm.h"

namespace {

// The file system's answers for the component walk of Windows 95 and NT 4.0.
class FileSystemNames : public PathNameLookup {
public:
    bool longName(const String& path, String& name) override {
        WIN32_FIND_DATAA data;
        if (!findEntry(path, data)) return false;
        name = data.cFileName;
        return true;
    }
    bool rootExists(const String& root) override {
        return root.length() < MAX_PATH && GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

}   // namespace

String String::longPathForm() const {
    if (isEmpty()) return String();
    // Windows 95 and NT 4.0 have no GetLongPathNameA: there the long form is
    // built from the file system's entries, one component at a time.
    auto getLongPathName = dynamicCalls().getLongPathNameA;
    if (!getLongPathName) {
        FileSystemNames names;
        return buildLongPathForm(*this, names);
    }
    // First ask for the size (terminator included), then fill a buffer of it.
    DWORD needed = getLongPathName(c_str(), nullptr, 0);
    if (needed == 0) return String();
    String result = reserved(needed);
    DWORD written = getLongPathName(c_str(), result.buffer(), needed);
    if (written == 0 || written >= needed) return String();
    return result.recomputeLength();
}

void stringOutOfMemory() {
    RaiseException(static_cast<DWORD>(STATUS_NO_MEMORY), EXCEPTION_NONCONTINUABLE, 0, nullptr);
    // A handler that returns from a non-continuable exception gets another one;
    // nothing below runs.
    ExitProcess(3);
}

int String::toWide(wchar_t* buffer, int bufferCharacters, unsigned codePage) const {
    return MultiByteToWideChar(codePage, MB_PRECOMPOSED, c_str(), static_cast<int>(length()) + 1, buffer,
                               bufferCharacters);
}
