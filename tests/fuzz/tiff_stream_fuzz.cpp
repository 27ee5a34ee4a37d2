// A stranger's TIFF through its reader and the strip cutter (see source_stream.h).
#include "source_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::FuzzSource(data, size, "fuzzed.tif");
}
