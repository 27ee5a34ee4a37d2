#pragma once
// An 8-bit RGB picture that owns its pixels; rows are top-down and packed.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace kerfel {

struct PixelBuffer {
    unsigned width = 0;
    unsigned height = 0;
    std::unique_ptr<uint8_t[]> data;  // width * height * 3 bytes, uninitialised when made

    static PixelBuffer Make(unsigned w, unsigned h) {
        PixelBuffer b;
        b.width = w;
        b.height = h;
        b.data.reset(new uint8_t[Bytes(w, h)]);
        return b;
    }
    static size_t Bytes(unsigned w, unsigned h) { return size_t(w) * h * 3; }
    size_t Stride() const { return size_t(width) * 3; }
    uint8_t* Row(unsigned y) { return data.get() + y * Stride(); }
    const uint8_t* Row(unsigned y) const { return data.get() + y * Stride(); }
    bool Empty() const { return !data; }
};

// Turns a picture stored with EXIF orientation 2..8 upright, as photo viewers
// show it; orientation 1 (or anything unknown) returns the picture unchanged.
PixelBuffer Reorient(PixelBuffer src, int orientation);

// Whether an orientation swaps width and height (the four transposing ones).
inline bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// Whether an orientation needs the whole picture before its first row:
// every one that turns or flips it vertically.
inline bool OrientationNeedsWholePicture(int orientation) { return orientation >= 3 && orientation <= 8; }

// Mirrors one RGB row in place (orientation 2, which streams).
void MirrorRow(uint8_t* row, unsigned width);

}  // namespace kerfel
