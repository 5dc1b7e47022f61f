#include "foundation/Files.h"
#include "foundation/ScopedHandle.h"
#include "foundation/TextList.h"

#include <vector>

namespace {

// The ANSI file functions take at most MAX_PATH characters with the zero.
// Longer paths are refused here so that no call sees them: Windows 9x copies
// paths into fixed buffers of that size.
bool fitsAnsiLimit(const String& path, size_t extra = 0) { return path.length() + extra < MAX_PATH; }

}   // namespace

bool findEntry(const String& path, WIN32_FIND_DATAA& data) {
    // FindFirstFileA takes wildcards: "C:\*.txt" would "exist" whenever any
    // text file does.  No real name contains them.
    if (path.isEmpty() || !fitsAnsiLimit(path) || path.find("*") >= 0 || path.find("?") >= 0) return false;
    // Only the first entry's data is wanted; the search ends here.
    const ScopedFindHandle search(FindFirstFileA(path.c_str(), &data));
    return bool(search);
}

bool fileExists(const String& path, WIN32_FIND_DATAA* findData) {
    WIN32_FIND_DATAA data;
    if (!findEntry(path, data)) return false;
    if (findData) *findData = data;
    return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool directoryExists(const String& path) {
    WIN32_FIND_DATAA data;
    return findEntry(path, data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

uint64_t fileSize(const String& path) {
    WIN32_FIND_DATAA data;
    if (!findEntry(path, data)) return 0;
    return (uint64_t)data.nFileSizeHigh << 32 | data.nFileSizeLow;
}

bool createDirectoryPath(const String& path) {
    if (path.isEmpty() || !fitsAnsiLimit(path)) return false;
    // Ancestors first, from the top down; CreateDirectoryA does not make
    // missing parents.  Failures (the ancestor exists, a drive root) are
    // expected and ignored: the final check decides.
    int root = path.find(":\\");
    size_t start = root >= 0 ? (size_t)root + 2 : 0;
    for (int c = path.find("\\", start); c >= 0; c = path.find("\\", (size_t)c + 1)) {
        if (c > 0) CreateDirectoryA(path.substring(0, (size_t)c).c_str(), nullptr);
    }
    CreateDirectoryA(path.c_str(), nullptr);
    return directoryExists(path);
}

int listDirectory(const String& directory, TextList* directories, TextList* files, bool withPrefix,
                  bool sorted) {
    String folder = directory;
    if (folder.isEmpty() || folder[folder.length() - 1] != '\\') folder += "\\";
    if (!fitsAnsiLimit(folder, 1)) return 0;
    WIN32_FIND_DATAA data;
    ScopedFindHandle search(FindFirstFileA((folder + "*").c_str(), &data));
    if (!search) return 0;
    const String prefix = withPrefix ? folder : String();
    do {
        // Also skips "." and "..".
        if (data.cFileName[0] == '.') continue;
        TextList* list = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? directories : files;
        if (!list) continue;
        const String entry = prefix + data.cFileName;
        if (sorted)
            list->insertSorted(entry);
        else
            list->add(entry);
    } while (FindNextFileA(search.get(), &data));
    return 1;
}

void findFilesRecursively(const String& directory, TextList& files, bool sorted) {
    TextList subDirectories;
    if (!listDirectory(directory, &subDirectories, &files, true, sorted)) return;
    for (unsigned i = 0; i < subDirectories.count(); ++i)
        findFilesRecursively(subDirectories.get(i), files, sorted);
}

uint64_t fileVersionNumber(const String& path) {
    if (path.isEmpty() || !fitsAnsiLimit(path)) return 0;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return 0;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
        infoSize < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return (uint64_t)info->dwFileVersionMS << 32 | info->dwFileVersionLS;
}

String versionNumberText(uint64_t versionNumber, bool shortForm) {
    if (versionNumber == 0) return String();
    const unsigned major = (unsigned)(versionNumber >> 48) & 0xFFFF;
    const unsigned minor = (unsigned)(versionNumber >> 32) & 0xFFFF;
    const unsigned third = (unsigned)(versionNumber >> 16) & 0xFFFF;
    const unsigned fourth = (unsigned)versionNumber & 0xFFFF;
    if (shortForm) return String::decimal(major) + "." + String::decimal(minor) + String::decimal(third);
    return String::decimal(major) + "." + String::decimal(minor) + "." + String::decimal(third) + "." +
           String::decimal(fourth);
}

String fileVersionText(const String& path, bool shortForm) {
    return versionNumberText(fileVersionNumber(path), shortForm);
}

DWORD openModeAccess(bool readOnly) { return readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE; }

DWORD openModeDisposition(bool readOnly, bool truncate) {
    if (readOnly) return OPEN_EXISTING;
    return truncate ? CREATE_ALWAYS : OPEN_ALWAYS;
}
