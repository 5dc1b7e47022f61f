// ScopedSelection: a GDI object selected into a DC for the lifetime of this
// object; the displaced object goes back in on destruction.  The selected
// object itself stays owned by whoever made it (usually a cache).
#pragma once

#include "foundation/Win32.h"

class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelection() {
        if (dc_ && previous_) SelectObject(dc_, previous_);
    }
    // Selects another object; the original displaced object is still restored.
    void select(HGDIOBJ object) {
        if (!dc_ || !object) return;
        HGDIOBJ displaced = SelectObject(dc_, object);
        if (!previous_) previous_ = displaced;
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
