// A stranger's JPEG through the streaming decoder and the strip cutter, as a
// job reads it (see source_stream.h), with damaged data refused or, for every
// other input, accepted as --accept-damaged does.
#include "engine/jpeg_reader.h"
#include "source_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string name = "fuzzed.jpg";
    kerfel::JpegReader reader;
    kerfel::Status s = reader.OpenMemory(data, size, name);
    if (s) {
        FUZZ_CHECK(reader.Width() > 0 && reader.Width() <= kerfel::kMaxJpegSide);
        if (fuzz::TooBigToFuzz(reader)) return 0;
        reader.AcceptDamage(size % 2 == 1);
        s = fuzz::CutAll(reader);
    }
    fuzz::CheckFailure(s, name);
    return 0;
}
