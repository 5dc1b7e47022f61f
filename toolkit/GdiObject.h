// GdiObject<T>: owner of one GDI object the program made (bitmap, font, pen,
// brush), deleted with DeleteObject.  Objects from a ResourceCache are shared
// and never go into one of these; neither do stock objects.
//
// An object must not be deleted while it is selected into a DC: for a
// bitmap DeleteObject simply fails and the bitmap leaks.  Declare the owner
// before the ScopedSelection that selects it, so the selection ends first.
#pragma once

#include "foundation/ScopedHandle.h"
#include "foundation/Win32.h"

template <class Object>
struct GdiObjectTraits {
    using Handle = Object;
    static Handle empty() { return nullptr; }
    static bool isValid(Handle object) { return object != nullptr; }
    static bool close(Handle object) { return DeleteObject(object) != 0; }
};

template <class Object>
using GdiObject = ScopedHandle<GdiObjectTraits<Object>>;

using ScopedBitmap = GdiObject<HBITMAP>;
