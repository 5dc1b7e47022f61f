#include "audio/SoundCardConfig.h"

#include "foundation/Files.h"
#include "foundation/TextList.h"
#include "foundation/Win32.h"

namespace {

// Reads the open file in the caller's chunks; ReadFile on a disk file only
// comes up short at the end of the file.
class FileByteSource : public ByteSource {
public:
    explicit FileByteSource(HANDLE file) : file_(file) {}
    ~FileByteSource() override { CloseHandle(file_); }
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    size_t read(void* buffer, size_t length) override {
        DWORD got = 0;
        if (!ReadFile(file_, buffer, (DWORD)length, &got, nullptr)) return 0;
        return got;
    }

private:
    HANDLE file_;
};

}  // namespace

void writeSoundCardLines(LineWriter& out, const String& folder) {
    String path = folder + "\\SoundCard_Config.dat";
    // Shared for writing too: the receiver software may hold the file open.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    FileByteSource source(file);
    writeSoundCardRecords(source, folder, out);
}

void writeSoundCardFolders(LineWriter& out, const String& documentsFolder, const String& variablePath,
                           const String& registryPath) {
    const String base = documentsFolder + "\\Brelvanx";
    TextList folders;
    TextList files;
    listDirectory(base, &folders, &files, false, true);
    for (unsigned i = 0; i < folders.count(); ++i) writeSoundCardLines(out, base + "\\" + folders.get(i));
    writeSoundCardLines(out, variablePath);
    // Both paths are kept upper case already; compared upper case all the
    // same so that the rule does not hang on how they were stored.
    if (registryPath.upperCase() != variablePath.upperCase()) writeSoundCardLines(out, registryPath);
}
