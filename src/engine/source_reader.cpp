#include "engine/source_reader.h"

#include <cstring>

#include "engine/jpeg_reader.h"
#include "engine/png_reader.h"
#include "engine/source_bytes.h"
#include "engine/tiff_reader.h"

namespace kerfel {
namespace {

enum class Kind { Jpeg, Tiff, Png };

Kind KindOf(const SourceBytes& bytes) {
    uint8_t head[8] = {};
    const size_t got = bytes.ReadAt(0, head, sizeof head);
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (got == 8 && std::memcmp(head, png, 8) == 0) return Kind::Png;
    // Classic (42) and big (43), in either byte order.
    const bool intel = head[0] == 'I' && head[1] == 'I' && head[3] == 0 && (head[2] == 42 || head[2] == 43);
    const bool motorola = head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43);
    if (got >= 8 && (intel || motorola)) return Kind::Tiff;
    // Everything else is the JPEG reader's to judge, with its own messages.
    return Kind::Jpeg;
}

Status OpenKind(Kind kind, std::unique_ptr<SourceBytes> bytes, const std::string& name,
                std::unique_ptr<SourceReader>& reader) {
    if (kind == Kind::Tiff) {
        auto tiff = std::make_unique<TiffReader>();
        Status s = tiff->Open(std::move(bytes), name);
        reader = std::move(tiff);
        return s;
    }
    auto png = std::make_unique<PngReader>();
    Status s = png->Open(std::move(bytes), name);
    reader = std::move(png);
    return s;
}

}  // namespace

Status OpenSource(const std::string& path, std::unique_ptr<SourceReader>& reader) {
    reader.reset();
    std::unique_ptr<SourceBytes> bytes;
    const Kind kind = SourceBytes::Open(path, bytes) ? KindOf(*bytes) : Kind::Jpeg;
    if (kind != Kind::Jpeg) return OpenKind(kind, std::move(bytes), path, reader);
    bytes.reset();
    auto jpeg = std::make_unique<JpegReader>();
    Status s = jpeg->Open(path);
    reader = std::move(jpeg);
    return s;
}

Status OpenSourceMemory(const uint8_t* data, size_t size, const std::string& name,
                        std::unique_ptr<SourceReader>& reader) {
    reader.reset();
    std::unique_ptr<SourceBytes> bytes = SourceBytes::Memory(data, size);
    const Kind kind = KindOf(*bytes);
    if (kind != Kind::Jpeg) return OpenKind(kind, std::move(bytes), name, reader);
    auto jpeg = std::make_unique<JpegReader>();
    Status s = jpeg->OpenMemory(data, size, name);
    reader = std::move(jpeg);
    return s;
}

}  // namespace kerfel
