#pragma once
// The pyramid's rules applied to whole pictures at once: what the engine's
// strips must produce, kept beside the tests as their reference.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/pixel_buffer.h"
#include "engine/tile_pyramid.h"

namespace kerfel {

// Packed RGB rows that someone else owns, read only.
struct PixelView {
    const uint8_t* data = nullptr;
    unsigned width = 0;
    unsigned height = 0;

    PixelView() = default;
    PixelView(const uint8_t* d, unsigned w, unsigned h) : data(d), width(w), height(h) {}
    PixelView(const PixelBuffer& b) : data(b.data.get()), width(b.width), height(b.height) {}  // NOLINT: implicit on purpose
    size_t Stride() const { return size_t(width) * 3; }
    const uint8_t* Row(unsigned y) const { return data + y * Stride(); }
    bool Empty() const { return data == nullptr; }
};

struct TileRect {
    unsigned x = 0, y = 0, width = 0, height = 0;
};

// The tile at column c, row r of a level: `edge` x `edge` or what is left of
// the level at its right and bottom edges; empty when it lies outside.
inline TileRect TileAt(unsigned levelWidth, unsigned levelHeight, unsigned column, unsigned row, unsigned edge = 256) {
    TileRect t;
    const unsigned long long x = 1ull * column * edge, y = 1ull * row * edge;
    if (x >= levelWidth || y >= levelHeight) return t;
    t.x = static_cast<unsigned>(x);
    t.y = static_cast<unsigned>(y);
    t.width = std::min<unsigned>(edge, levelWidth - t.x);
    t.height = std::min<unsigned>(edge, levelHeight - t.y);
    return t;
}

// Copies the rectangle, clamped to the picture, as packed RGB rows into `out`;
// returns the clamped rectangle.
inline TileRect CopyTilePixels(const PixelView& level, TileRect r, std::vector<uint8_t>& out) {
    if (r.x >= level.width || r.y >= level.height) return TileRect{};
    r.width = std::min(r.width, level.width - r.x);
    r.height = std::min(r.height, level.height - r.y);
    const size_t rowBytes = size_t(r.width) * 3;
    out.resize(rowBytes * r.height);
    for (unsigned i = 0; i < r.height; ++i)
        std::memcpy(out.data() + i * rowBytes, level.Row(r.y + i) + size_t(r.x) * 3, rowBytes);
    return r;
}

// The picture halved to `width` x `height` by the mean of each 2 x 2 block
// (normally the sides halved rounding down); a block that would reach past
// the last row or column reuses it.
inline PixelBuffer HalveLevel(const PixelView& src, unsigned width, unsigned height) {
    PixelBuffer dst = PixelBuffer::Make(width, height);
    if (src.Empty() || src.width == 0 || src.height == 0) return dst;
    const unsigned lastX = src.width - 1, lastY = src.height - 1;
    for (unsigned y = 0; y < height; ++y) {
        const uint8_t* a = src.Row(std::min(2 * y, lastY));
        const uint8_t* b = src.Row(std::min(2 * y + 1, lastY));
        uint8_t* d = dst.Row(y);
        for (unsigned x = 0; x < width; ++x, d += 3) {
            const size_t x0 = size_t(std::min(2 * x, lastX)) * 3, x1 = size_t(std::min(2 * x + 1, lastX)) * 3;
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<uint8_t>((a[x0 + c] + a[x1 + c] + b[x0 + c] + b[x1 + c] + 2) >> 2);
        }
    }
    return dst;
}

}  // namespace kerfel
