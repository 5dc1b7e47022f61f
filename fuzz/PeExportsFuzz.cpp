// libFuzzer entry for the PE export reader: any byte string is a candidate
// file.  The reader must answer without reading outside the buffer, and an
// answer of "exported" must hold up when the same bytes are read again.
#include "receiver/PeExports.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryByteSource source(data, size);
    const PeExportLookup first = findPeExport(source, "zqtPluginInit");
    if (findPeExport(source, "zqtPluginInit") != first) std::abort();
    return 0;
}
