// FileStream: one open file (the report's log file, saved reports).  A failed
// open still gives a valid object whose operations all fail quietly.
#pragma once

#include "foundation/Win32.h"
#include "foundation/ScopedHandle.h"
#include "foundation/String.h"
#include "foundation/TaggedObject.h"
#include <cstdint>

class FileStream : public TaggedObject {
public:
    // CreateFileA(path, access, shareMode, no security, disposition, flags, no
    // template).  A stream opened without GENERIC_WRITE never creates a file:
    // OPEN_ALWAYS then becomes OPEN_EXISTING.
    FileStream(const String& path, DWORD access, DWORD disposition, DWORD shareMode = FILE_SHARE_READ,
               DWORD flagsAndAttributes = FILE_ATTRIBUTE_NORMAL);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    bool isOpen() const { return bool(handle_); }
    HANDLE handle() const { return handle_.get(); }   // null when the open failed
    const String& path() const { return path_; }

    virtual uint64_t size();       // 0 on failure
    virtual uint64_t position();   // 0 on failure
    virtual bool seek(uint64_t absolutePosition);
    virtual uint32_t write(const void* buffer, uint32_t count);   // bytes written, 0 on failure
    virtual uint32_t read(void* buffer, uint32_t count);          // bytes read, 0 on failure

private:
    ScopedKernelHandle handle_;
    String path_;
};
