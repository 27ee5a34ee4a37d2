// A stranger's JPEG: its header parsed from memory, and the same bytes as a
// file through the checks the tool makes before it lets the decoder near it.
#include <cstdint>
#include <string>

#include "engine/jpeg_header.h"
#include "engine/jpeg_reader.h"
#include "engine/source_image.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::ScratchFolder folder("jpeg");
    kerfel::JpegHeader h;
    const kerfel::Status parsed = kerfel::ParseJpegHeader(data, size, h);
    if (parsed) {
        FUZZ_CHECK(h.width > 0 && h.height > 0 && h.width <= 65535 && h.height <= 65535);
        FUZZ_CHECK(h.components == 1 || h.components == 3 || h.components == 4);
        FUZZ_CHECK(h.orientation >= 1 && h.orientation <= 8);
    } else {
        FUZZ_CHECK(parsed.fault == kerfel::Fault::BadInput && !parsed.message.empty());
    }

    const std::string path = folder.Path() + "/fuzzed.jpg";
    fuzz::WriteBytes(path, data, size);
    kerfel::SourceInfo info;
    const kerfel::Status inspected = kerfel::InspectSource(path, info);
    if (inspected) {
        // The file passes only what the bytes pass, and says the same of itself.
        FUZZ_CHECK(parsed.ok());
        FUZZ_CHECK(info.header.width == h.width && info.header.height == h.height);
        FUZZ_CHECK(info.header.orientation == h.orientation && info.header.components == h.components);
        FUZZ_CHECK(info.header.fileSize == size);
        FUZZ_CHECK(h.width <= kerfel::kMaxJpegSide && h.height <= kerfel::kMaxJpegSide);
        const bool swap = h.orientation >= 5;
        FUZZ_CHECK(info.width == (swap ? h.height : h.width) && info.height == (swap ? h.width : h.height));
    } else {
        // One line that names the file.
        FUZZ_CHECK(inspected.message.rfind(path + ": ", 0) == 0);
        FUZZ_CHECK(inspected.message.find('\n') == std::string::npos || path.find('\n') != std::string::npos);
    }
    return 0;
}
