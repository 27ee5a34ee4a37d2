#include <cstring>
#include <utility>

#include "engine/pixel_buffer.h"

namespace kerfel {

void MirrorRow(uint8_t* row, unsigned width) {
    for (unsigned a = 0, b = width ? width - 1 : 0; a < b; ++a, --b)
        for (int c = 0; c < 3; ++c) std::swap(row[a * 3 + c], row[b * 3 + c]);
}

PixelBuffer Reorient(PixelBuffer src, int o) {
    if (o < 2 || o > 8 || src.Empty()) return src;
    const unsigned w = src.width, h = src.height;
    const bool swap = OrientationSwapsSides(o);
    PixelBuffer dst = PixelBuffer::Make(swap ? h : w, swap ? w : h);
    // For each stored pixel (x, y), where it lands in the upright picture.
    for (unsigned y = 0; y < h; ++y) {
        const uint8_t* s = src.Row(y);
        for (unsigned x = 0; x < w; ++x, s += 3) {
            unsigned dx = x, dy = y;
            switch (o) {
                case 2: dx = w - 1 - x; break;                      // mirrored
                case 3: dx = w - 1 - x; dy = h - 1 - y; break;      // turned 180
                case 4: dy = h - 1 - y; break;                      // flipped
                case 5: dx = y; dy = x; break;                      // transposed
                case 6: dx = h - 1 - y; dy = x; break;              // turned 90 clockwise
                case 7: dx = h - 1 - y; dy = w - 1 - x; break;      // transversed
                case 8: dx = y; dy = w - 1 - x; break;              // turned 90 anticlockwise
            }
            std::memcpy(dst.Row(dy) + size_t(dx) * 3, s, 3);
        }
    }
    return dst;
}

}  // namespace kerfel
