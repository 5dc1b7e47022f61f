// Loading and saving text lists: the Windows half of TextList.
#include "foundation/TextList.h"

#include "foundation/ScopedHandle.h"
#include "foundation/Win32.h"

int TextList::loadFile(const String& path) {
    clear();
    ScopedKernelHandle file(
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    DWORD size = GetFileSize(file.get(), nullptr);
    // An empty file cannot be mapped (CreateFileMapping refuses size 0), so
    // it fails here like a missing one.
    if (size == INVALID_FILE_SIZE || size == 0) return 0;
    // The mapping fails with null, not INVALID_HANDLE_VALUE; the owner knows both.
    ScopedKernelHandle mapping(CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return 0;
    const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (!view) return 0;
    bool complete = parseText(static_cast<const char*>(view), size);
    UnmapViewOfFile(view);
    if (!complete) {
        // A file with more lines than a list holds would come back cut short,
        // and a caller that rewrites it would lose its end.
        clear();
        return 0;
    }
    return 1;
}

int TextList::saveFile(const String& path) const {
    ScopedKernelHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    static const char lineBreak[2] = {'\r', '\n'};
    unsigned n = count();
    for (unsigned i = 0; i < n; ++i) {
        const String& text = *entry(i);
        DWORD written = 0;
        DWORD length = DWORD(text.length());
        // A short write (disk full) counts as failure too, not only a false result.
        if (length && (!WriteFile(file.get(), text.c_str(), length, &written, nullptr) || written != length))
            return 0;
        if (!WriteFile(file.get(), lineBreak, 2, &written, nullptr) || written != 2) return 0;
    }
    return 1;
}
