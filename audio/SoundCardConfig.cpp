#include "audio/SoundCardConfig.h"

#include "foundation/FileStream.h"
#include "foundation/Files.h"
#include "foundation/TextList.h"
#include "foundation/Win32.h"

namespace {

// The open file as the record reader's byte source.  ReadFile on a disk file
// comes up short only at the end of the file.
class StreamByteSource : public RecordByteSource {
public:
    explicit StreamByteSource(FileStream& stream) : stream_(stream) {}
    size_t read(void* buffer, size_t length) override { return stream_.read(buffer, (uint32_t)length); }

private:
    FileStream& stream_;
};

}   // namespace

void writeSoundCardLines(LineWriter& out, const String& folder) {
    // Shared for writing too: the receiver software may hold the file open
    // while it runs.
    FileStream file(folder + "\\SoundCard_Config.dat", GENERIC_READ, OPEN_EXISTING,
                    FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!file.isOpen()) return;
    StreamByteSource source(file);
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
