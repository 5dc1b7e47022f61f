// CriticalSection: a plain wrapper over a Win32 critical section (initialised
// on construction, deleted on destruction).  Like a Win32 critical section it
// may be entered again by the thread that holds it.
//
// The header stays free of <windows.h> so that portable code (the locked byte
// queue) can hold one; the section itself lives in opaque storage that
// CriticalSection.cpp checks is large enough.  The host build of the portable
// core uses CriticalSectionHost.cpp, a recursive std::mutex in the same storage.
#pragma once

#include <cstddef>

#include "foundation/TaggedObject.h"

class CriticalSection : public TaggedObject {
public:
    CriticalSection();
    ~CriticalSection() override;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void enter();
    void leave();

    static constexpr size_t storageSize = 64;

private:
    // A fixed alignment: MinGW's std::max_align_t changes with the order in
    // which <windows.h> and the C++ headers are included, and a class that
    // holds a CriticalSection must have the same layout in every source file.
    alignas(8) unsigned char storage_[storageSize];
};

// Holds a CriticalSection for one scope.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& section) : section_(section) { section_.enter(); }
    ~CriticalSectionLock() { section_.leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& section_;
};
