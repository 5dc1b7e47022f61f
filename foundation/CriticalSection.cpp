#include "foundation/CriticalSection.h"

#include "foundation/Win32.h"

static_assert(alignof(CRITICAL_SECTION) <= 8, "the storage is 8-byte aligned");
static_assert(sizeof(CRITICAL_SECTION) <= CriticalSection::storageSize,
              "CriticalSection storage too small for CRITICAL_SECTION");

namespace {
CRITICAL_SECTION* section(unsigned char* storage) { return reinterpret_cast<CRITICAL_SECTION*>(storage); }
}   // namespace

// InitializeCriticalSection cannot fail on NT; on Windows 95 it may raise a
// structured exception in low memory, which is as fatal as any other
// exhaustion here.
CriticalSection::CriticalSection() { InitializeCriticalSection(section(storage_)); }
CriticalSection::~CriticalSection() { DeleteCriticalSection(section(storage_)); }
void CriticalSection::enter() { EnterCriticalSection(section(storage_)); }
void CriticalSection::leave() { LeaveCriticalSection(section(storage_)); }
