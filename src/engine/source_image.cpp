#include "engine/source_image.h"

#include <algorithm>
#include <thread>
#include <new>
#include <vector>

#include "engine/jpeg_reader.h"
#include "engine/source_reader.h"
#include "engine/memory_rule.h"

namespace kerfel {
namespace {

void Describe(const SourceReader& reader, SourceInfo& info) {
    if (const auto* jpeg = dynamic_cast<const JpegReader*>(&reader)) info.header = jpeg->Header();
    info.format = reader.Format();
    info.orientation = reader.Orientation();
    info.width = reader.Width();
    info.height = reader.Height();
    info.colourProfile = reader.Profile().Name();
    info.colourNote = reader.ColourNote();
}

// The largest scaling by a power of two (up to what the reader can do) that
// still leaves the larger side at least `box` pixels: the decoder then does
// most of the shrinking, in a fraction of the time and memory of a full decode.
int ScaleFor(unsigned big, unsigned box, int most) {
    int d = 1;
    while (d * 2 <= most && (big + d * 2ull - 1) / (d * 2ull) >= box) d *= 2;
    return d;
}

// Shrinks the decoder's rows band by band into `thumb`: every source pixel
// is added to the thumbnail pixel it falls in, so only one row of sums is
// held besides the thumbnail.
Status ShrinkRows(SourceReader& reader, PixelBuffer& thumb) {
    const unsigned sw = reader.OutputWidth(), sh = reader.OutputHeight();
    std::vector<uint8_t> row(size_t(sw) * 3);
    std::vector<uint32_t> sums(size_t(thumb.width) * 3);
    std::vector<uint32_t> counts(thumb.width);
    std::vector<unsigned> column(sw);
    for (unsigned x = 0; x < sw; ++x) column[x] = static_cast<unsigned>(1ull * x * thumb.width / sw);
    uint8_t* rows[1] = {row.data()};
    unsigned ty = 0;
    for (unsigned y = 0; y < sh; ++y) {
        Status s = reader.ReadRows(rows, 1);
        if (!s) return s;
        for (unsigned x = 0; x < sw; ++x) {
            const unsigned tx = column[x];
            for (int c = 0; c < 3; ++c) sums[tx * 3 + c] += row[x * 3 + c];
            ++counts[tx];
        }
        const unsigned nextTy = static_cast<unsigned>(1ull * (y + 1) * thumb.height / sh);
        if (nextTy == ty && y + 1 < sh) continue;
        // The band's last row is fixed before the loop: ty moves inside it.
        const unsigned bandEnd = std::min(std::max(nextTy, ty + 1), thumb.height);
        for (; ty < bandEnd; ++ty) {
            uint8_t* d = thumb.Row(ty);
            // A picture narrower than its thumbnail leaves columns without a
            // pixel of their own: they repeat the one on their left.
            for (unsigned tx = 0, from = 0; tx < thumb.width; ++tx) {
                if (counts[tx]) from = tx;
                for (int c = 0; c < 3; ++c)
                    d[tx * 3 + c] = static_cast<uint8_t>((sums[from * 3 + c] + counts[from] / 2) / counts[from]);
            }
        }
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
    }
    return Status::Ok();
}

}  // namespace

Status InspectSource(const std::string& path, SourceInfo& info) {
    info = SourceInfo{};
    try {
        std::unique_ptr<SourceReader> reader;
        Status s = OpenSource(path, reader);
        if (!s) return s;
        Describe(*reader, info);
    } catch (const std::bad_alloc&) {
        return Status::Output(path + ": not enough memory to read the header");
    }
    return Status::Ok();
}

Status DecodeSource(const std::string& path, PixelBuffer& out, SourceInfo* infoOut) {
    std::unique_ptr<SourceReader> opened;
    Status s = OpenSource(path, opened);
    if (!s) return s;
    SourceReader& reader = *opened;
    try {
        if (!(s = reader.Start())) return s;
        out = PixelBuffer::Make(reader.OutputWidth(), reader.OutputHeight());
        std::vector<uint8_t*> rows(out.height);
        for (unsigned y = 0; y < out.height; ++y) rows[y] = out.Row(y);
        if (!(s = reader.ReadRows(rows.data(), out.height))) {
            out = PixelBuffer{};
            return s;
        }
    } catch (const std::bad_alloc&) {
        out = PixelBuffer{};
        return Status::Output(path + ": " + NoMemory(reader.Width(), reader.Height(), "picture").message);
    }
    if (infoOut) Describe(reader, *infoOut);
    return Status::Ok();
}

Status DecodeThumbnail(const std::string& path, unsigned box, PixelBuffer& thumb, SourceInfo& info,
                       unsigned long long memoryLimit) {
    std::unique_ptr<SourceReader> opened;
    Status s = OpenSource(path, opened);
    if (!s) return s;
    SourceReader& reader = *opened;
    Describe(reader, info);
    const unsigned big = std::max(info.width, info.height);
    const int scale = ScaleFor(big, box ? box : 1, reader.MaxScale());
    if (!(s = CheckMemoryRule(path, reader.WholePictureBytes(scale), memoryLimit))) return s;
    // Whole numbers: the larger side is `box` exactly, never one pixel short.
    const unsigned long long side = box ? box : 1;
    const unsigned tw = std::max(1u, static_cast<unsigned>(info.width * side / big));
    const unsigned th = std::max(1u, static_cast<unsigned>(info.height * side / big));
    try {
        // Every core: the user waits for it, and a PNG inflates, a TIFF
        // decodes its tiles and a profile converts on threads of their own.
        const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        if (!(s = reader.Start(scale, cores))) return s;
        thumb = PixelBuffer::Make(tw, th);
        if (!(s = ShrinkRows(reader, thumb))) thumb = PixelBuffer{};
    } catch (const std::bad_alloc&) {
        thumb = PixelBuffer{};
        return Status::Output(path + ": " + NoMemory(info.width, info.height, "picture").message);
    }
    return s;
}

}  // namespace kerfel
