#include "audio/SoundCardConfig.h"

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
