// Stand-in for the host build of the portable core: the same re-entrant
// section, made from a recursive std::mutex, so that the locked byte queue
// can be built and tested natively under the sanitizers.
#include "foundation/CriticalSection.h"

#include <mutex>
#include <new>

static_assert(alignof(std::recursive_mutex) <= 8, "the storage is 8-byte aligned");
static_assert(sizeof(std::recursive_mutex) <= CriticalSection::storageSize,
              "CriticalSection storage too small for std::recursive_mutex");

namespace {
std::recursive_mutex* mutexIn(unsigned char* storage) {
    return std::launder(reinterpret_cast<std::recursive_mutex*>(storage));
}
}   // namespace

CriticalSection::CriticalSection() { new (storage_) std::recursive_mutex(); }
CriticalSection::~CriticalSection() { mutexIn(storage_)->~recursive_mutex(); }
void CriticalSection::enter() { mutexIn(storage_)->lock(); }
void CriticalSection::leave() { mutexIn(storage_)->unlock(); }
