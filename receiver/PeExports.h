// PeExports: reads the export table of a PE image straight from its bytes, so
// the program can tell whether a file is a plug-in before it loads it.  Loading
// a library runs its start-up code, and the files the report describes come
// from folders any user can write to, while the program runs with
// administrator rights; so nothing is loaded until this check has passed.
//
// Portable (no Win32): the bytes come through ByteSource, which the Windows
// build backs with a file and the tests and the fuzzer back with memory.  Every
// offset, size and count read from the file is checked before it is used; a
// malformed image gives an answer, never an out-of-bounds read.
#pragma once

#include <cstddef>
#include <cstdint>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Total size in bytes.
    virtual uint64_t size() const = 0;
    // Exactly `count` bytes at `offset` into `buffer`; false when they cannot
    // all be read (past the end, I/O error).
    virtual bool readAt(uint64_t offset, void* buffer, size_t count) = 0;
};

class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(const void* bytes, size_t length)
        : bytes_(static_cast<const uint8_t*>(bytes)), length_(length) {}
    uint64_t size() const override { return length_; }
    bool readAt(uint64_t offset, void* buffer, size_t count) override;

private:
    const uint8_t* bytes_;
    size_t length_;
};

enum class PeExportLookup {
    unreadable,      // too short or a read failed
    notPe,           // no MZ / PE signature, or headers that do not fit
    wrongMachine,    // not an i386 image (a 64-bit DLL cannot be loaded into this process)
    notDll,          // an executable without the DLL flag, or not marked executable
    noExportTable,   // no export directory, or one that lies outside the image
    notExported,     // the name is not among the exports, or its address is 0
    forwarded,       // exported, but as a forwarder to another library
    exported,        // exported as code of this image
};

const char* peExportLookupName(PeExportLookup result);

// Looks `name` up (exact, case-sensitive) in the export name table of the
// 32-bit PE image in `source`.
PeExportLookup findPeExport(ByteSource& source, const char* name);
