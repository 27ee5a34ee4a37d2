#include "engine/level_scaler.h"

#include <algorithm>

namespace kerfel {

PixelBuffer HalveLevel(const PixelView& src, unsigned width, unsigned height) {
    PixelBuffer dst = PixelBuffer::Make(width, height);
    if (src.Empty() || src.width == 0 || src.height == 0) return dst;
    const unsigned lastX = src.width - 1, lastY = src.height - 1;
    // Columns whose whole block lies inside the source take the fast path.
    const unsigned inner = std::min(width, src.width / 2);
    for (unsigned y = 0; y < height; ++y) {
        const uint8_t* a = src.Row(std::min(2 * y, lastY));
        const uint8_t* b = src.Row(std::min(2 * y + 1, lastY));
        uint8_t* d = dst.Row(y);
        for (unsigned x = 0; x < inner; ++x, a += 6, b += 6, d += 3) {
            d[0] = static_cast<uint8_t>((a[0] + a[3] + b[0] + b[3] + 2) >> 2);
            d[1] = static_cast<uint8_t>((a[1] + a[4] + b[1] + b[4] + 2) >> 2);
            d[2] = static_cast<uint8_t>((a[2] + a[5] + b[2] + b[5] + 2) >> 2);
        }
        const uint8_t* ra = src.Row(std::min(2 * y, lastY));
        const uint8_t* rb = src.Row(std::min(2 * y + 1, lastY));
        for (unsigned x = inner; x < width; ++x, d += 3) {
            const size_t x0 = size_t(std::min(2 * x, lastX)) * 3, x1 = size_t(std::min(2 * x + 1, lastX)) * 3;
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<uint8_t>((ra[x0 + c] + ra[x1 + c] + rb[x0 + c] + rb[x1 + c] + 2) >> 2);
        }
    }
    return dst;
}

}  // namespace kerfel
