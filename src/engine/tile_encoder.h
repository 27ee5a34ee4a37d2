#pragma once
// Turning one tile's pixels into JPEG bytes. One compressor is reused for
// every tile: an encoder belongs to one thread.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/status.h"

namespace kerfel {

constexpr int kTileJpegQuality = 70;

class TileEncoder {
public:
    explicit TileEncoder(int quality = kTileJpegQuality);
    ~TileEncoder();
    TileEncoder(const TileEncoder&) = delete;
    TileEncoder& operator=(const TileEncoder&) = delete;

    // Encodes packed RGB rows (top row first) at quality 70 (or the one it
    // was made with, 1 to 100) into `jpeg`.
    Status Encode(const uint8_t* rgb, unsigned width, unsigned height, std::vector<uint8_t>& jpeg);
    // The same for rows `stride` bytes apart (a tile inside a wider strip).
    Status Encode(const uint8_t* rgb, size_t stride, unsigned width, unsigned height, std::vector<uint8_t>& jpeg);

private:
    struct Codec;
    std::unique_ptr<Codec> m_codec;
    int m_quality;
};

}  // namespace kerfel
