#include "engine/tile_encoder.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/devil.h"
#include "engine/tile_pyramid.h"

namespace kerfel {

TileRect TileAt(unsigned levelWidth, unsigned levelHeight, unsigned column, unsigned row) {
    TileRect t;
    const unsigned long long x = 1ull * column * unsigned(kTileEdge), y = 1ull * row * unsigned(kTileEdge);
    if (x >= levelWidth || y >= levelHeight) return t;
    t.x = static_cast<unsigned>(x);
    t.y = static_cast<unsigned>(y);
    t.width = std::min<unsigned>(kTileEdge, levelWidth - t.x);
    t.height = std::min<unsigned>(kTileEdge, levelHeight - t.y);
    return t;
}

TileRect CopyTilePixels(const PixelView& level, TileRect r, std::vector<uint8_t>& out) {
    if (r.x >= level.width || r.y >= level.height) return TileRect{};
    r.width = std::min(r.width, level.width - r.x);
    r.height = std::min(r.height, level.height - r.y);
    const size_t rowBytes = size_t(r.width) * 3;
    out.resize(rowBytes * r.height);
    for (unsigned i = 0; i < r.height; ++i)
        std::memcpy(out.data() + i * rowBytes, level.Row(r.y + i) + size_t(r.x) * 3, rowBytes);
    return r;
}

TileEncoder::TileEncoder() {
    DevilSession session;
    ilGenImages(1, &m_name);
}

TileEncoder::~TileEncoder() {
    DevilSession session;
    ilDeleteImages(1, &m_name);
}

Status TileEncoder::Encode(const uint8_t* rgb, unsigned width, unsigned height, std::vector<uint8_t>& jpeg) {
    if (width == 0 || height == 0) return Status::Output("a tile has no pixels");
    DevilSession session;
    TakeDevilError();
    ilBindImage(m_name);
    if (!ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, const_cast<uint8_t*>(rgb))) {
        TakeDevilError();
        return Status::Output("out of memory for a " + std::to_string(width) + " x " + std::to_string(height) + " tile");
    }
    // A new image is registered bottom-up whatever the rows hold; ours are
    // top-down, and without this the tile would be saved upside down.
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    ilSetInteger(IL_JPG_QUALITY, kTileJpegQuality);
    // A JPEG of a tile stays well below its raw size; the library says how
    // much it needs when that guess is ever too small.
    size_t room = size_t(width) * height * 3 + 4096;
    for (int attempt = 0; attempt < 2; ++attempt) {
        jpeg.resize(room);
        ILuint n = ilSaveL(IL_JPG, jpeg.data(), static_cast<ILuint>(jpeg.size()));
        ILenum err = TakeDevilError();
        if (n > 0 && n <= jpeg.size() && err == IL_NO_ERROR) {
            jpeg.resize(n);
            return Status::Ok();
        }
        ILuint need = ilSaveL(IL_JPG, nullptr, 0);
        TakeDevilError();
        if (need == 0 || need <= room) break;
        room = need;
    }
    return Status::Output("the JPEG encoder failed on a " + std::to_string(width) + " x " + std::to_string(height) +
                          " tile");
}

}  // namespace kerfel
