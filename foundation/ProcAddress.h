// Typed GetProcAddress.  GetProcAddress hands back a FARPROC whatever the
// export really is, and the cast to the real type is the caller's promise.
// Casting straight from FARPROC makes g++ warn (-Wcast-function-type); going
// through void (*)(), which it accepts as "any function", keeps it quiet
// without hiding a cast between two real signatures anywhere else.
#pragma once

#include "foundation/Win32.h"

// A FARPROC already looked up, as the function type it really has.
template <class Fn>
Fn functionCast(FARPROC proc) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// GetProcAddress(module, name) as Fn; null when the module lacks the export.
template <class Fn>
Fn procAddress(HMODULE module, const char* name) {
    return functionCast<Fn>(GetProcAddress(module, name));
}

// slot = the module's export `name` as its type; null when there is no
// module (a library that did not load) or no such export.
template <class Fn>
void lookUp(Fn& slot, HMODULE module, const char* name) {
    slot = module ? procAddress<Fn>(module, name) : nullptr;
}
