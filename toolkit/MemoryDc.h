// MemoryDc: owner of a memory DC from CreateCompatibleDC, deleted with
// DeleteDC (never ReleaseDC, which is for the DCs of GetDC: see WindowDc.h).
//
// A memory DC starts with a 1 x 1 monochrome stock bitmap selected.  Whoever
// selects a bitmap of their own puts the displaced one back before the bitmap
// is deleted (ScopedSelection does it for a scope): DeleteObject refuses a
// bitmap that is still selected, and the bitmap would leak.
#pragma once

#include "foundation/ScopedHandle.h"
#include "foundation/Win32.h"

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle empty() { return nullptr; }
    static bool isValid(Handle dc) { return dc != nullptr; }
    static bool close(Handle dc) { return DeleteDC(dc) != 0; }
};

using MemoryDc = ScopedHandle<MemoryDcTraits>;
