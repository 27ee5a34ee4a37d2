#pragma once
// Turning one tile of a level picture into JPEG bytes. Only the tile's own
// pixels are read (cropping a copy of the whole level per tile costs
// seconds on large pictures), every rectangle is clamped to the level, and
// one compressor is reused for every tile: an encoder belongs to one thread.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/pixel_buffer.h"
#include "engine/pixel_view.h"
#include "base/status.h"

namespace kerfel {

constexpr int kTileJpegQuality = 70;

struct TileRect {
    unsigned x = 0, y = 0, width = 0, height = 0;
};

// The tile at column c, row r of a level: 256 x 256 or what is left of the
// level at its right and bottom edges; empty when it lies outside.
TileRect TileAt(unsigned levelWidth, unsigned levelHeight, unsigned column, unsigned row);

// Copies the rectangle, clamped to the picture, as packed RGB rows into `out`;
// returns the clamped rectangle.
TileRect CopyTilePixels(const PixelView& level, TileRect rect, std::vector<uint8_t>& out);

class TileEncoder {
public:
    TileEncoder();
    ~TileEncoder();
    TileEncoder(const TileEncoder&) = delete;
    TileEncoder& operator=(const TileEncoder&) = delete;

    // Encodes packed RGB rows (top row first) at quality 70 into `jpeg`.
    Status Encode(const uint8_t* rgb, unsigned width, unsigned height, std::vector<uint8_t>& jpeg);
    // The same for rows `stride` bytes apart (a tile inside a wider strip).
    Status Encode(const uint8_t* rgb, size_t stride, unsigned width, unsigned height, std::vector<uint8_t>& jpeg);

private:
    struct Codec;
    std::unique_ptr<Codec> m_codec;
};

}  // namespace kerfel
