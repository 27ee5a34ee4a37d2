#pragma once
// Read-only access to packed RGB rows that someone else owns: a PixelBuffer,
// or a strip of a level.
#include <cstddef>
#include <cstdint>

#include "engine/pixel_buffer.h"

namespace kerfel {

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

}  // namespace kerfel
