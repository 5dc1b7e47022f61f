#include "receiver/PeExports.h"

#include <cstring>
#include <vector>

bool MemoryByteSource::readAt(uint64_t offset, void* buffer, size_t count) {
    if (offset > length_ || count > length_ - offset) return false;
    if (count != 0) std::memcpy(buffer, bytes_ + offset, count);
    return true;
}

const char* peExportLookupName(PeExportLookup result) {
    switch (result) {
    case PeExportLookup::unreadable:
        return "unreadable";
    case PeExportLookup::notPe:
        return "notPe";
    case PeExportLookup::wrongMachine:
        return "wrongMachine";
    case PeExportLookup::notDll:
        return "notDll";
    case PeExportLookup::noExportTable:
        return "noExportTable";
    case PeExportLookup::notExported:
        return "notExported";
    case PeExportLookup::forwarded:
        return "forwarded";
    case PeExportLookup::exported:
        return "exported";
    }
    return "?";
}

namespace {

// Image layout constants (winnt.h names in the comments).
const uint16_t dosSignature = 0x5A4D;                // IMAGE_DOS_SIGNATURE "MZ"
const uint32_t ntSignature = 0x00004550;             // IMAGE_NT_SIGNATURE "PE\0\0"
const uint16_t machineI386 = 0x014C;                 // IMAGE_FILE_MACHINE_I386
const uint16_t flagExecutable = 0x0002;              // IMAGE_FILE_EXECUTABLE_IMAGE
const uint16_t flagDll = 0x2000;                     // IMAGE_FILE_DLL
const uint16_t magicPe32 = 0x010B;                   // IMAGE_NT_OPTIONAL_HDR32_MAGIC
const uint32_t fileHeaderSize = 20;                  // IMAGE_FILE_HEADER
const uint32_t optionalHeaderThroughExports = 104;   // PE32 header up to DataDirectory[0]
const uint32_t sectionHeaderSize = 40;               // IMAGE_SECTION_HEADER
const uint32_t exportDirectorySize = 40;             // IMAGE_EXPORT_DIRECTORY
// Ordinals are 16-bit, so a sane image has at most 65536 functions; a few
// aliases per function are possible.  Anything beyond this is a crafted count
// that would only make the scan slow.
const uint32_t maximumNames = 0x40000;
const uint32_t namesPerChunk = 512;

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawOffset;
};

class Image {
public:
    explicit Image(ByteSource& source) : source_(source) {}

    PeExportLookup parseHeaders();
    PeExportLookup find(const char* name);

private:
    // Where `length` bytes starting at `rva` lie in the file; false when they
    // are not all backed by file data of one section (or of the headers).
    bool fileOffset(uint64_t rva, uint64_t length, uint64_t& offset) const;
    bool readRva(uint64_t rva, void* buffer, size_t count);

    ByteSource& source_;
    std::vector<Section> sections_;
    uint32_t sizeOfImage_ = 0;
    uint32_t sizeOfHeaders_ = 0;
    uint32_t exportRva_ = 0;
    uint32_t exportSize_ = 0;
};

PeExportLookup Image::parseHeaders() {
    uint8_t dos[64];
    if (!source_.readAt(0, dos, sizeof dos)) return PeExportLookup::unreadable;
    if (le16(dos) != dosSignature) return PeExportLookup::notPe;
    const uint64_t ntOffset = le32(dos + 0x3C);

    uint8_t nt[4 + fileHeaderSize];
    if (!source_.readAt(ntOffset, nt, sizeof nt)) return PeExportLookup::notPe;
    if (le32(nt) != ntSignature) return PeExportLookup::notPe;
    const uint8_t* fileHeader = nt + 4;
    if (le16(fileHeader) != machineI386) return PeExportLookup::wrongMachine;
    const uint32_t sectionCount = le16(fileHeader + 2);
    const uint32_t optionalSize = le16(fileHeader + 16);
    const uint16_t characteristics = le16(fileHeader + 18);
    if ((characteristics & flagExecutable) == 0 || (characteristics & flagDll) == 0)
        return PeExportLookup::notDll;

    // A PE32+ (64-bit) optional header has a different magic; its machine
    // field already said so, but a mismatched pair is malformed either way.
    uint8_t optional[optionalHeaderThroughExports];
    if (optionalSize < 2) return PeExportLookup::notPe;
    const uint64_t optionalOffset = ntOffset + sizeof nt;
    uint8_t magic[2];
    if (!source_.readAt(optionalOffset, magic, 2)) return PeExportLookup::notPe;
    if (le16(magic) != magicPe32) return PeExportLookup::wrongMachine;
    if (optionalSize < optionalHeaderThroughExports)
        return PeExportLookup::noExportTable;   // the data directory stops before the export entry
    if (!source_.readAt(optionalOffset, optional, sizeof optional)) return PeExportLookup::notPe;
    sizeOfImage_ = le32(optional + 56);
    sizeOfHeaders_ = le32(optional + 60);
    const uint32_t directoryCount = le32(optional + 92);
    if (directoryCount < 1) return PeExportLookup::noExportTable;
    exportRva_ = le32(optional + 96);
    exportSize_ = le32(optional + 100);

    const uint64_t sectionTable = optionalOffset + optionalSize;
    const uint64_t tableBytes = uint64_t(sectionCount) * sectionHeaderSize;
    if (sectionTable > source_.size() || tableBytes > source_.size() - sectionTable)
        return PeExportLookup::notPe;
    std::vector<uint8_t> table(size_t(tableBytes) + 1);
    if (!source_.readAt(sectionTable, table.data(), size_t(tableBytes))) return PeExportLookup::unreadable;
    sections_.reserve(sectionCount);
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint8_t* s = table.data() + size_t(i) * sectionHeaderSize;
        Section section{le32(s + 12), le32(s + 8), le32(s + 16), le32(s + 20)};
        // The loader refuses an image whose section data runs past the end
        // of the file; so does this check, which also keeps a cut-off file
        // from passing on the part that is still there.
        if (uint64_t(section.rawOffset) + section.rawSize > source_.size()) return PeExportLookup::notPe;
        sections_.push_back(section);
    }
    return PeExportLookup::exported;   // "headers fine"; find() decides the rest
}

bool Image::fileOffset(uint64_t rva, uint64_t length, uint64_t& offset) const {
    // Sums of a table's address and an index are formed in 64 bits, so a
    // crafted address near 4 GiB cannot wrap around to the headers.
    if (rva > 0xFFFFFFFFu) return false;
    for (const Section& s : sections_) {
        // A section with VirtualSize 0 spans its raw size (old linkers wrote it so).
        const uint64_t span = s.virtualSize != 0 ? s.virtualSize : s.rawSize;
        if (rva < s.virtualAddress || rva - s.virtualAddress >= span) continue;
        const uint64_t delta = rva - s.virtualAddress;
        // Bytes past the raw data are zero-filled in memory: not in the file.
        if (length > span - delta || delta + length > s.rawSize) return false;
        offset = uint64_t(s.rawOffset) + delta;
        return true;
    }
    // Below the first section the image maps its own headers one to one.
    if (rva + length <= sizeOfHeaders_) {
        offset = rva;
        return true;
    }
    return false;
}

bool Image::readRva(uint64_t rva, void* buffer, size_t count) {
    uint64_t offset = 0;
    return fileOffset(rva, count, offset) && source_.readAt(offset, buffer, count);
}

PeExportLookup Image::find(const char* name) {
    if (exportRva_ == 0 || exportRva_ >= sizeOfImage_) return PeExportLookup::noExportTable;
    uint8_t directory[exportDirectorySize];
    if (!readRva(exportRva_, directory, sizeof directory)) return PeExportLookup::noExportTable;
    const uint32_t functionCount = le32(directory + 20);
    const uint32_t nameCount = le32(directory + 24);
    const uint32_t functionsRva = le32(directory + 28);
    const uint32_t namesRva = le32(directory + 32);
    const uint32_t ordinalsRva = le32(directory + 36);
    if (nameCount == 0) return PeExportLookup::notExported;
    if (nameCount > maximumNames) return PeExportLookup::noExportTable;
    // Both parallel tables must be in the file as a whole before any entry is used.
    uint64_t ignored = 0;
    if (!fileOffset(namesRva, uint64_t(nameCount) * 4, ignored) ||
        !fileOffset(ordinalsRva, uint64_t(nameCount) * 2, ignored))
        return PeExportLookup::noExportTable;

    const size_t nameLength = std::strlen(name) + 1;   // the terminator must match too
    std::vector<uint8_t> candidate(nameLength);
    uint8_t namePointers[namesPerChunk * 4];
    for (uint32_t first = 0; first < nameCount; first += namesPerChunk) {
        const uint32_t count = nameCount - first < namesPerChunk ? nameCount - first : namesPerChunk;
        if (!readRva(uint64_t(namesRva) + uint64_t(first) * 4, namePointers, size_t(count) * 4))
            return PeExportLookup::unreadable;
        for (uint32_t i = 0; i < count; ++i) {
            // A name that runs off its section cannot be this one: skip it.
            if (!readRva(le32(namePointers + i * 4), candidate.data(), nameLength) ||
                std::memcmp(candidate.data(), name, nameLength) != 0)
                continue;
            uint8_t ordinalBytes[2];
            if (!readRva(uint64_t(ordinalsRva) + uint64_t(first + i) * 2, ordinalBytes, 2))
                return PeExportLookup::unreadable;
            const uint32_t ordinal = le16(ordinalBytes);
            if (ordinal >= functionCount) return PeExportLookup::notExported;
            uint8_t addressBytes[4];
            if (!readRva(uint64_t(functionsRva) + uint64_t(ordinal) * 4, addressBytes, 4))
                return PeExportLookup::notExported;
            const uint32_t address = le32(addressBytes);
            // An address inside the export directory is the text of a
            // forwarder ("OTHER.Function"): the code lives in another library.
            if (address >= exportRva_ && uint64_t(address) - exportRva_ < exportSize_)
                return PeExportLookup::forwarded;
            if (address == 0 || address >= sizeOfImage_) return PeExportLookup::notExported;
            return PeExportLookup::exported;
        }
    }
    return PeExportLookup::notExported;
}

}   // namespace

PeExportLookup findPeExport(ByteSource& source, const char* name) {
    if (name == nullptr || *name == 0) return PeExportLookup::notExported;
    Image image(source);
    PeExportLookup headers = image.parseHeaders();
    if (headers != PeExportLookup::exported) return headers;
    return image.find(name);
}
