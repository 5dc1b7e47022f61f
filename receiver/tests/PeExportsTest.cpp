// The export-table reader decides whether a file may be loaded at all, so it
// is tested on images built byte by byte here: the well-formed cases, the
// look-alikes that must not pass, and damaged images that must neither pass
// nor read out of bounds (the host build runs this under ASan and UBSan).
#include "receiver/PeExports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

enum class Kind { code, forwarder, zeroAddress };

struct ExportEntry {
    std::string name;
    Kind kind;
};

// A minimal PE32 DLL: headers in the first 0x200 bytes, one section at RVA
// 0x1000 (file offset 0x200) holding the export directory and its tables.
struct ImageLayout {
    std::vector<ExportEntry> exports{{"zqtPluginInit", Kind::code}};
    uint16_t machine = 0x014C;
    uint16_t characteristics = 0x2102;   // executable, 32-bit, DLL
    uint16_t magic = 0x010B;
    bool exportDirectory = true;
};

const uint32_t sectionRva = 0x1000;
const uint32_t sectionFileOffset = 0x200;
const uint32_t sectionRawSize = 0x600;
const size_t exportDirectoryOffset = 0x200;   // file offset of the directory

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
uint32_t get32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

std::vector<uint8_t> buildImage(const ImageLayout& layout) {
    std::vector<uint8_t> b(sectionFileOffset + sectionRawSize, 0);
    b[0] = 'M';
    b[1] = 'Z';
    put32(b, 0x3C, 0x40);
    put32(b, 0x40, 0x00004550);
    const size_t fh = 0x44;
    put16(b, fh, layout.machine);
    put16(b, fh + 2, 1);
    put16(b, fh + 16, 224);
    put16(b, fh + 18, layout.characteristics);
    const size_t oh = fh + 20;
    put16(b, oh, layout.magic);
    put32(b, oh + 56, 0x2000);   // SizeOfImage
    put32(b, oh + 60, 0x200);    // SizeOfHeaders
    put32(b, oh + 92, 16);

    const size_t sh = oh + 224;
    std::memcpy(&b[sh], ".edata", 6);
    put32(b, sh + 8, 0x1000);   // VirtualSize
    put32(b, sh + 12, sectionRva);
    put32(b, sh + 16, sectionRawSize);
    put32(b, sh + 20, sectionFileOffset);

    // Export directory (40 bytes), then functions, names, ordinals, strings.
    const uint32_t n = uint32_t(layout.exports.size());
    const uint32_t functions = sectionRva + 40;
    const uint32_t names = functions + 4 * n;
    const uint32_t ordinals = names + 4 * n;
    uint32_t strings = ordinals + 2 * n;
    auto fileAt = [](uint32_t rva) { return size_t(rva - sectionRva + sectionFileOffset); };
    const size_t d = exportDirectoryOffset;
    put32(b, d + 16, 1);   // Base
    put32(b, d + 20, n);
    put32(b, d + 24, n);
    put32(b, d + 28, functions);
    put32(b, d + 32, names);
    put32(b, d + 36, ordinals);
    std::vector<uint32_t> forwarderRvas;
    for (uint32_t i = 0; i < n; ++i) {
        const ExportEntry& e = layout.exports[i];
        std::memcpy(&b[fileAt(strings)], e.name.c_str(), e.name.size() + 1);
        put32(b, fileAt(names + 4 * i), strings);
        put16(b, fileAt(ordinals + 2 * i), i);
        strings += uint32_t(e.name.size() + 1);
        uint32_t address = 0x1800 + 0x10 * i;   // inside the image, past the directory
        if (e.kind == Kind::zeroAddress) address = 0;
        if (e.kind == Kind::forwarder) {
            const char* target = "OTHER.zqtPluginInit";
            std::memcpy(&b[fileAt(strings)], target, std::strlen(target) + 1);
            address = strings;
            strings += uint32_t(std::strlen(target) + 1);
        }
        put32(b, fileAt(functions + 4 * i), address);
    }
    if (layout.exportDirectory) {
        put32(b, oh + 96, sectionRva);
        put32(b, oh + 100, strings - sectionRva);   // the directory spans the forwarder texts
    }
    return b;
}

PeExportLookup lookup(const std::vector<uint8_t>& image, const char* name = "zqtPluginInit") {
    MemoryByteSource source(image.data(), image.size());
    return findPeExport(source, name);
}

struct Row {
    const char* what;
    ImageLayout layout;
    PeExportLookup expected;
};

ImageLayout withExports(std::vector<ExportEntry> exports) {
    ImageLayout s;
    s.exports = std::move(exports);
    return s;
}
ImageLayout withMachine(uint16_t m) {
    ImageLayout s;
    s.machine = m;
    return s;
}
ImageLayout withMagic(uint16_t m) {
    ImageLayout s;
    s.magic = m;
    return s;
}
ImageLayout withCharacteristics(uint16_t c) {
    ImageLayout s;
    s.characteristics = c;
    return s;
}
ImageLayout withoutExportDirectory() {
    ImageLayout s;
    s.exportDirectory = false;
    return s;
}

TEST(PeExports, WellFormedImages) {
    const Row rows[] = {
        {"only export", ImageLayout(), PeExportLookup::exported},
        {"among others",
         withExports({{"aaa", Kind::code}, {"zqtPluginInit", Kind::code}, {"zzz", Kind::code}}),
         PeExportLookup::exported},
        {"forwarded", withExports({{"zqtPluginInit", Kind::forwarder}}), PeExportLookup::forwarded},
        {"address 0", withExports({{"zqtPluginInit", Kind::zeroAddress}}), PeExportLookup::notExported},
        {"stdcall-decorated only", withExports({{"_zqtPluginInit@16", Kind::code}}),
         PeExportLookup::notExported},
        {"other case", withExports({{"ZqtPluginInit", Kind::code}}), PeExportLookup::notExported},
        {"longer name", withExports({{"zqtPluginInitEx", Kind::code}}), PeExportLookup::notExported},
        {"shorter name", withExports({{"zqtPlugin", Kind::code}}), PeExportLookup::notExported},
        {"no names", withExports({}), PeExportLookup::notExported},
        {"no export directory", withoutExportDirectory(), PeExportLookup::noExportTable},
        {"x64 machine", withMachine(0x8664), PeExportLookup::wrongMachine},
        {"PE32+ header", withMagic(0x020B), PeExportLookup::wrongMachine},
        {"executable, not DLL", withCharacteristics(0x0102), PeExportLookup::notDll},
        {"DLL flag, not executable", withCharacteristics(0x2100), PeExportLookup::notDll},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_STREQ(peExportLookupName(row.expected), peExportLookupName(lookup(buildImage(row.layout))));
    }
}

// Damage one field of a good image at a time.
TEST(PeExports, DamagedHeadersAndTables) {
    const std::vector<uint8_t> good = buildImage(ImageLayout());
    const size_t d = exportDirectoryOffset;
    struct Damage {
        const char* what;
        size_t offset;
        uint32_t value;
        PeExportLookup expected;
    };
    const Damage rows[] = {
        {"no MZ", 0, 0x00005A4E, PeExportLookup::notPe},
        {"e_lfanew past the end", 0x3C, 0x7FFFFFF0, PeExportLookup::notPe},
        {"e_lfanew at 4 GiB - 1", 0x3C, 0xFFFFFFFF, PeExportLookup::notPe},
        {"no PE signature", 0x40, 0x00004551, PeExportLookup::notPe},
        {"65535 sections past the end", 0x46, 0x00E0FFFF, PeExportLookup::notPe},
        {"optional header too short for exports", 0x54, 0x21020060, PeExportLookup::noExportTable},
        {"section data past the end of the file", 0x58 + 224 + 16, 0x10000, PeExportLookup::notPe},
        {"no data directories", 0x58 + 92, 0, PeExportLookup::noExportTable},
        {"export RVA beyond SizeOfImage", 0x58 + 96, 0x5000, PeExportLookup::noExportTable},
        {"export RVA in unbacked section tail", 0x58 + 96, 0x1900, PeExportLookup::noExportTable},
        {"huge name count", d + 24, 0xFFFFFFFF, PeExportLookup::noExportTable},
        {"name table outside the section", d + 32, 0x1FFC, PeExportLookup::noExportTable},
        {"name table at 4 GiB", d + 32, 0xFFFFFFFC, PeExportLookup::noExportTable},
        {"ordinal beyond the functions", d + 20, 0, PeExportLookup::notExported},
        {"functions table at 4 GiB", d + 28, 0xFFFFFFFC, PeExportLookup::notExported},
    };
    for (const Damage& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<uint8_t> image = good;
        put32(image, row.offset, row.value);
        EXPECT_STREQ(peExportLookupName(row.expected), peExportLookupName(lookup(image)));
    }

    // The name pointer itself aimed at the file's end or past 4 GiB.
    const uint32_t namesRva = get32(good, d + 32);
    const size_t namePointer = namesRva - sectionRva + sectionFileOffset;
    for (uint32_t target : {0x17FEu, 0xFFFFFFFFu, 0u}) {
        SCOPED_TRACE(target);
        std::vector<uint8_t> image = good;
        put32(image, namePointer, target);
        EXPECT_EQ(PeExportLookup::notExported, lookup(image));
    }
}

TEST(PeExports, TruncatedAndMutatedImagesStayInBounds) {
    const std::vector<uint8_t> good = buildImage(
        withExports({{"a", Kind::code}, {"zqtPluginInit", Kind::forwarder}, {"zqtPluginInit", Kind::code}}));
    ASSERT_EQ(PeExportLookup::forwarded, lookup(good));   // the first entry of a name decides
    EXPECT_EQ(PeExportLookup::unreadable, lookup({}));
    EXPECT_EQ(PeExportLookup::unreadable, lookup({'M', 'Z'}));
    // Every prefix of the file: the export can only be found once the file
    // holds the whole section, and no cut may read beyond its end.
    for (size_t length = 0; length < good.size(); ++length) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + length);
        PeExportLookup result = lookup(cut);
        if (result == PeExportLookup::exported || result == PeExportLookup::forwarded)
            ADD_FAILURE() << "found in a file cut at " << length;
    }
    // Every byte of the headers and the export tables set to 0xFF in turn:
    // whatever the answer, the reader stays within the buffer.
    for (size_t at = 0; at < 0x300; ++at) {
        std::vector<uint8_t> image = good;
        image[at] ^= 0xFF;
        lookup(image);
    }
}

TEST(PeExports, EmptyNameIsNeverExported) {
    EXPECT_EQ(PeExportLookup::notExported, lookup(buildImage(withExports({{"", Kind::code}})), ""));
}

}   // namespace
