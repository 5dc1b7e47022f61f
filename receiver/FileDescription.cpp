#include "receiver/FileDescription.h"

#include "foundation/FileStream.h"
#include "foundation/FileTime.h"
#include "foundation/Files.h"
#include "foundation/ForeignCallGuard.h"
#include "foundation/ProcAddress.h"
#include "foundation/Win32.h"
#include "receiver/PluginHosts.h"

#include <cstring>

namespace {

// SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX: a library that cannot be
// loaded (missing dependency, bad image, empty floppy drive) must not put up
// a system message box while the report runs unattended.
const UINT quietErrorMode = 0x8001;

class FileByteSource : public ByteSource {
public:
    explicit FileByteSource(FileStream& file) : file_(file), size_(file.size()) {}
    uint64_t size() const override { return size_; }
    bool readAt(uint64_t offset, void* buffer, size_t count) override {
        if (offset > size_ || count > size_ - offset) return false;
        if (count == 0) return true;
        if (!file_.seek(offset) || file_.position() != offset) return false;
        char* out = static_cast<char*>(buffer);
        while (count > 0) {
            const uint32_t chunk = count > 0x10000 ? 0x10000 : uint32_t(count);
            const uint32_t got = file_.read(out, chunk);
            if (got == 0) return false;
            out += got;
            count -= got;
        }
        return true;
    }

private:
    FileStream& file_;
    uint64_t size_;
};

// Everything the guarded call needs and leaves behind.  Plain data only: after
// a caught fault the guard discards the stack between itself and the fault,
// so nothing in the guarded function may need a destructor.
struct PluginCall {
    const char* path;
    HMODULE module;
    int answeredText;   // -1: no answer
    char* name;         // pluginNameBufferSize bytes as far as the plug-in is told
};

// The plug-in is told its name buffer holds 1024 bytes, but one that ignores
// the size (a strcpy of a long name) must not write over this program's
// stack.  So the buffer is an allocation of its own with room to spare and an
// inaccessible page behind it: an overrun into the spare room does no harm,
// and one beyond it faults inside the guarded call, which reports it.
class PluginNameBuffer {
public:
    PluginNameBuffer() {
        bytes_ = static_cast<char*>(
            VirtualAlloc(nullptr, spare + guard, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD previous = 0;
        if (bytes_ && !VirtualProtect(bytes_ + spare, guard, PAGE_NOACCESS, &previous)) {
            VirtualFree(bytes_, 0, MEM_RELEASE);
            bytes_ = nullptr;
        }
    }
    ~PluginNameBuffer() {
        if (bytes_) VirtualFree(bytes_, 0, MEM_RELEASE);
    }
    PluginNameBuffer(const PluginNameBuffer&) = delete;
    PluginNameBuffer& operator=(const PluginNameBuffer&) = delete;
    char* bytes() const { return bytes_; }

private:
    static const SIZE_T spare = 64 * 1024;
    static const SIZE_T guard = 4096;
    char* bytes_;
};

void loadAndAskPlugin(void* context) {
    PluginCall& call = *static_cast<PluginCall*>(context);
    // The altered search path makes the plug-in's own folder the first place
    // its dependencies are looked for, instead of this program's folder and
    // the current folder, which an attacker may control as easily.
    call.module = LoadLibraryExA(call.path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (call.module == nullptr) return;
    ZqtPluginInit init = procAddress<ZqtPluginInit>(call.module, "zqtPluginInit");
    if (init == nullptr) return;
    for (int k = 0; k < pluginHostCount; ++k) {
        std::memset(call.name, 0, pluginNameBufferSize);
        if (init(pluginInterfaceVersion, pluginHostTexts[k], call.name, pluginNameBufferSize) != 0) {
            call.answeredText = k;
            return;
        }
    }
}

String fullPathOf(const String& path) {
    char buffer[1024];
    char* namePart = nullptr;
    DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, &namePart);
    if (length == 0 || length >= sizeof buffer) return path;
    return String(buffer, length);
}

PluginCheck* installedCheck = nullptr;

// Appends " ZQT error" and/or the plug-in's identity to line.  The file is
// held open, without write sharing, from the export check until the library
// is mapped (here or in the helper process), so what is loaded is what was
// checked.
void probePlugin(const String& path, String& line) {
    const String fullPath = fullPathOf(path);
    FileStream file(fullPath, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL);
    if (!file.isOpen()) return;
    FileByteSource source(file);
    if (findPeExport(source, "zqtPluginInit") != PeExportLookup::exported) return;
    line += installedCheck ? installedCheck->check(fullPath) : checkPluginInProcess(fullPath);
}

}   // namespace

String checkPluginInProcess(const String& fullPath) {
    PluginNameBuffer nameBuffer;
    if (nameBuffer.bytes() == nullptr) return String();
    PluginCall call;
    call.path = fullPath.c_str();
    call.module = nullptr;
    call.answeredText = -1;
    call.name = nameBuffer.bytes();
    const bool clean = callGuarded(loadAndAskPlugin, &call);

    String identity;
    if (call.answeredText >= 0) {
        // The plug-in owes us a terminating zero but is not trusted to write
        // one: the name ends at the buffer's end at the latest.
        const void* end = std::memchr(call.name, 0, pluginNameBufferSize);
        const size_t length = end ? size_t(static_cast<const char*>(end) - call.name) : pluginNameBufferSize;
        identity = String(" \"") + String(call.name, length) + "\" ";
        if (call.answeredText != 0) identity += String("<") + String::decimal(call.answeredText) + ">";
    }
    String suffix;
    if (!clean) suffix += " ZQT error";
    if (!identity.isEmpty()) suffix += String(" ") + identity;
    return suffix;
}

ScopedPluginCheck::ScopedPluginCheck(PluginCheck& check) : previous_(installedCheck) { installedCheck = &check; }

ScopedPluginCheck::~ScopedPluginCheck() { installedCheck = previous_; }

PeExportLookup pluginExportLookup(const String& path) {
    FileStream file(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    FILE_ATTRIBUTE_NORMAL);
    if (!file.isOpen()) return PeExportLookup::unreadable;
    FileByteSource source(file);
    return findPeExport(source, "zqtPluginInit");
}

String describeFile(const String& path, bool showFullPath) {
    String line = (showFullPath ? path : path.fileNamePart()) + ": ";
    WIN32_FIND_DATAA found;
    if (!fileExists(path, &found)) return line;   // missing, or a directory

    const uint64_t size = uint64_t(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    line += sizeText(int64_t(size)) + ", ";
    const String version = fileVersionText(path, false);
    if (!version.isEmpty()) line += String("ver. ") + version + ", ";
    // The directory entry's time is universal time; it is shown as it is.
    const FileTime written(found.ftLastWriteTime);
    line += written.formatDate() + " " + written.formatTime();

    const UINT previousMode = SetErrorMode(quietErrorMode);
    probePlugin(path, line);
    SetErrorMode(previousMode);
    return line;
}
