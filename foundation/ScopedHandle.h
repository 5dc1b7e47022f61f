// ScopedHandle: sole owner of one handle, closed when the owner goes out of
// scope or is reset.  The handle kind comes from a traits type:
//
//   struct SomeTraits {
//       using Handle = ...;                  // the raw handle type
//       static Handle empty();               // the value an empty owner holds
//       static bool isValid(Handle);         // false for every "no handle" value
//       static bool close(Handle);           // the close call; true on success
//   };
//
// Win32 is not consistent about what "no handle" looks like: CreateFileA and
// FindFirstFileA fail with INVALID_HANDLE_VALUE, CreateFileMappingA,
// CreateThread and CreateEventA with null.  The traits know which, so callers
// test the owner (explicit bool) instead of comparing against the right one.
//
// The template itself needs no Win32 (the host build tests it); the traits of
// the kernel and find handles exist in the Windows build only.
#pragma once

template <class Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() noexcept : handle_(Traits::empty()) {}
    // Takes whatever the creating call returned, its failure value included:
    // the owner then is simply empty.
    explicit ScopedHandle(Handle handle) noexcept : handle_(handle) {}
    ~ScopedHandle() { reset(); }

    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    // The raw value as it was given (for a failed CreateFileA that is
    // INVALID_HANDLE_VALUE); still owned by this object.
    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return Traits::isValid(handle_); }

    // Gives the handle up without closing it; the caller closes it now.
    Handle release() noexcept {
        Handle handle = handle_;
        handle_ = Traits::empty();
        return handle;
    }

    // Closes the current handle, if any, and owns `handle` instead.
    void reset(Handle handle = Traits::empty()) noexcept {
        // Resetting to the handle already held would close the new value.
        if (handle == handle_) return;
        Handle old = handle_;
        handle_ = handle;
        if (Traits::isValid(old)) Traits::close(old);
    }

    // Closes now and says whether the system accepted it: for a file just
    // written, a failed CloseHandle can be the only news that the data did
    // not reach the disk (a network share reports a deferred write error
    // there).  The owner is empty afterwards either way; false also when
    // there was no handle to close.
    bool close() noexcept {
        Handle handle = release();
        return Traits::isValid(handle) && Traits::close(handle);
    }

private:
    Handle handle_;
};

#ifdef _WIN32
#include "foundation/Win32.h"

// Kernel objects closed with CloseHandle: files, mappings, events, threads.
// Null and INVALID_HANDLE_VALUE both mean "no handle" (the latter is also the
// current-process pseudo-handle, which nobody owns or closes).
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle empty() { return nullptr; }
    static bool isValid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static bool close(Handle handle) { return CloseHandle(handle) != 0; }
};
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;

// Searches from FindFirstFileA.  They are not kernel handles and fail with
// INVALID_HANDLE_VALUE; only FindClose ends a search.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static bool isValid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static bool close(Handle handle) { return FindClose(handle) != 0; }
};
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;
#endif
