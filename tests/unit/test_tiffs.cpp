#include "test_tiffs.h"

#include <tiffio.h>

#include <algorithm>

namespace testimg {

uint8_t Pattern(unsigned x, unsigned y, int c) {
    switch (c) {
        case 0: return static_cast<uint8_t>(x * 7 + y * 3);
        case 1: return static_cast<uint8_t>((x / 4) * (y / 4));
        case 2: return static_cast<uint8_t>(x + y * 5);
        default: return static_cast<uint8_t>(x * 13 + y);
    }
}

namespace {

void Tags(TIFF* t, const TiffShape& s, unsigned w, unsigned h, bool reduced) {
    const int samples = s.colours + (s.alpha ? 1 : 0);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, s.bits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, s.colours == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, s.separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, s.compression);
    TIFFSetField(t, TIFFTAG_ORIENTATION, s.orientation);
    if (s.compression == COMPRESSION_JPEG) TIFFSetField(t, TIFFTAG_JPEGQUALITY, 95);
    if (s.alpha) {
        const uint16_t kind = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &kind);
    }
    if (reduced) TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_REDUCEDIMAGE);
    if (!s.icc.empty() && !reduced) TIFFSetField(t, TIFFTAG_ICCPROFILE, uint32_t(s.icc.size()), s.icc.data());
    if (s.tile) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, s.tile);
        TIFFSetField(t, TIFFTAG_TILELENGTH, s.tile);
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, s.rowsPerStrip);
    }
}

// One plane's (or every sample's) row y, as stored.
std::vector<uint8_t> Row(const TiffShape& s, unsigned w, unsigned y, int plane, bool green) {
    const int samples = s.colours + (s.alpha ? 1 : 0);
    const int first = plane < 0 ? 0 : plane, last = plane < 0 ? samples : plane + 1;
    std::vector<uint8_t> row;
    for (unsigned x = 0; x < w; ++x)
        for (int c = first; c < last; ++c) {
            const int channel = c == s.colours ? 3 : c;
            uint8_t v = green ? (channel == 1 || channel == 3 ? 255 : 0) : Pattern(x, y, channel);
            if (s.bits == 1) v = v >= 128;
            if (s.bits == 16) row.push_back(v);  // v * 257, little-endian as the host writes it
            row.push_back(v);
        }
    if (s.bits == 1) {
        std::vector<uint8_t> packed((w + 7) / 8, 0);
        for (unsigned x = 0; x < w; ++x) packed[x / 8] |= row[x] << (7 - x % 8);
        return packed;
    }
    return row;
}

bool WritePage(TIFF* t, const TiffShape& s, unsigned w, unsigned h, bool green) {
    const int planes = s.separate ? s.colours + (s.alpha ? 1 : 0) : 1;
    for (int p = 0; p < planes; ++p) {
        const int plane = s.separate ? p : -1;
        if (!s.tile) {
            for (unsigned y = 0; y < h; ++y) {
                std::vector<uint8_t> row = Row(s, w, y, plane, green);
                if (TIFFWriteScanline(t, row.data(), y, static_cast<uint16_t>(p)) < 0) return false;
            }
            continue;
        }
        std::vector<uint8_t> tile(TIFFTileSize(t));
        const size_t rowBytes = TIFFTileRowSize(t);
        for (unsigned ty = 0; ty < h; ty += s.tile)
            for (unsigned tx = 0; tx < w; tx += s.tile) {
                std::fill(tile.begin(), tile.end(), 0);
                for (unsigned y = ty; y < std::min(h, ty + s.tile); ++y) {
                    std::vector<uint8_t> row = Row(s, w, y, plane, green);
                    const size_t from = row.size() / w * tx;
                    std::copy(row.begin() + from, row.begin() + std::min(row.size(), from + rowBytes),
                              tile.begin() + (y - ty) * rowBytes);
                }
                if (TIFFWriteTile(t, tile.data(), tx, ty, 0, static_cast<uint16_t>(p)) < 0) return false;
            }
    }
    return TIFFWriteDirectory(t);
}

}  // namespace

bool WriteTiff(const std::string& path, const TiffShape& s) {
    TIFF* t = TIFFOpen(path.c_str(), s.big ? "w8" : "w");
    if (!t) return false;
    Tags(t, s, s.width, s.height, false);
    bool ok = WritePage(t, s, s.width, s.height, false);
    if (ok && s.reducedSide) {
        const unsigned big = std::max(s.width, s.height);
        const unsigned w = std::max(1u, s.width * s.reducedSide / big), h = std::max(1u, s.height * s.reducedSide / big);
        Tags(t, s, w, h, true);
        ok = WritePage(t, s, w, h, true);
    }
    TIFFClose(t);
    return ok;
}

}  // namespace testimg
