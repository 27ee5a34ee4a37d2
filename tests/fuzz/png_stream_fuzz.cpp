// A stranger's PNG through its reader and the strip cutter (see
// source_stream.h), its pixels inflated on a thread of their own.
#include "source_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::FuzzSource(data, size, "fuzzed.png", 2);
}
