#include "foundation/FileStream.h"

FileStream::FileStream(const String& path, DWORD access, DWORD disposition, DWORD shareMode,
                       DWORD flagsAndAttributes)
    : path_(path) {
    // A reader must never leave an empty file behind where none was.
    if (!(access & GENERIC_WRITE) && disposition == OPEN_ALWAYS) disposition = OPEN_EXISTING;
    if (path.isEmpty() || path.length() >= MAX_PATH) return;
    HANDLE h =
        CreateFileA(path.c_str(), access, shareMode, nullptr, disposition, flagsAndAttributes, nullptr);
    // CreateFileA fails with INVALID_HANDLE_VALUE, not null; the stream keeps
    // one "no file" value, so handle() gives null after a failed open.
    if (h != INVALID_HANDLE_VALUE) handle_.reset(h);
}

FileStream::~FileStream() = default;

uint64_t FileStream::size() {
    if (!handle_) return 0;
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(handle_.get(), &high);
    // 0xFFFFFFFF is also a valid low half; only the error code tells.
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
    return (uint64_t)high << 32 | low;
}

uint64_t FileStream::position() {
    if (!handle_) return 0;
    LONG high = 0;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(handle_.get(), 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return 0;
    return (uint64_t)(uint32_t)high << 32 | low;
}

bool FileStream::seek(uint64_t absolutePosition) {
    if (!handle_) return false;
    LONG high = (LONG)(absolutePosition >> 32);
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(handle_.get(), (LONG)(uint32_t)absolutePosition, &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

uint32_t FileStream::write(const void* buffer, uint32_t count) {
    DWORD written = 0;
    if (!handle_ || !WriteFile(handle_.get(), buffer, count, &written, nullptr)) return 0;
    return written;
}

uint32_t FileStream::read(void* buffer, uint32_t count) {
    DWORD got = 0;
    if (!handle_ || !ReadFile(handle_.get(), buffer, count, &got, nullptr)) return 0;
    return got;
}
