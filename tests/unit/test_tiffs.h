#pragma once
// TIFF pictures written on the spot with libtiff, every way the reader must
// take them, from one pattern whose pixels the tests know.
#include <cstdint>
#include <string>
#include <vector>

namespace testimg {

struct TiffShape {
    unsigned width = 300, height = 200;
    int bits = 8;                 // 8 or 16 (1 for a bilevel grey)
    int colours = 3;              // 1 grey, 3 RGB
    bool alpha = false;           // an unassociated alpha after the colours
    bool separate = false;        // planes apart
    unsigned tile = 0;            // tile side; 0 strips
    unsigned rowsPerStrip = 16;
    int compression = 1;          // COMPRESSION_*
    int orientation = 1;
    bool big = false;             // BigTIFF
    unsigned reducedSide = 0;     // a reduced copy in a second page, of this larger side, painted green
    std::vector<uint8_t> icc;
};

// The pattern's 8-bit sample c (0..2 colour, 3 alpha) at (x, y).
uint8_t Pattern(unsigned x, unsigned y, int c);
// Writes the pattern (grey: its first channel) as `shape` says; false on failure.
bool WriteTiff(const std::string& path, const TiffShape& shape);

}  // namespace testimg
