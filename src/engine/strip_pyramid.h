#pragma once
// Every level of the pyramid as one strip a tile high, fed with the
// source's rows from the top. When a strip is full (a tile's rows, or the
// level's last row) it is cut into tiles; every pair of rows is averaged
// 2 x 2 (the rounded mean of each block) into one row of the level below,
// the odd last row or column dropped or averaged with itself as the table's
// level sizes say (halving down or up). Where the layout's tiles overlap, a
// strip holds the overlap's rows above and below its tiles too, and a tile
// the overlap's columns either side. Memory therefore grows with the width,
// never the height: about 1.5 KiB per pixel of the source's width for one
// strip of every level, twice that with the second strip each level gets so
// that filling goes on while the full one is encoded (a third where the
// overlap is more than half a tile).
#include <cstdint>
#include <memory>
#include <vector>

#include "base/status.h"
#include "engine/tile_pyramid.h"

namespace kerfel {

// One tile of a full strip. Its pixels stay valid until the sink says
// nothing reads them any more (see TileSink::AwaitReaders).
struct TileCut {
    int level = 0, column = 0, row = 0;
    const uint8_t* pixels = nullptr;
    size_t stride = 0;
    unsigned width = 0, height = 0;
    int* readers = nullptr;  // the strip's count of tiles still being read; the sink's to change
};

class TileSink {
public:
    virtual ~TileSink() = default;
    // A tile to encode. A sink that keeps reading the pixels after it
    // returns counts the tile in *readers until it is done with it.
    virtual Status Take(const TileCut& tile) = 0;
    // Returns once *readers is 0: the strip may be filled again.
    virtual Status AwaitReaders(int* readers) = 0;
};

class StripPyramid {
public:
    // The table must pass CheckPyramid and outlive this.
    StripPyramid(const TilePyramid& table, TileSink& sink);
    ~StripPyramid();
    StripPyramid(const StripPyramid&) = delete;
    StripPyramid& operator=(const StripPyramid&) = delete;

    // Room for the next rows of the source, one pointer per row, as many as
    // fit in the top strip (at least one, until the source is complete).
    // The caller fills them (SourceWidth * 3 bytes each), then calls Filled.
    Status NextRows(std::vector<uint8_t*>& rows);
    // The first `count` rows handed out by NextRows are filled: halves and
    // cuts whatever they complete.
    Status Filled(unsigned count);
    bool Complete() const;
    // Bytes of the strips held now.
    unsigned long long HeldBytes() const;

private:
    struct Strip;
    struct Level;
    Status RowArrived(int level);
    Status CutStrip(Level& level, int row);
    Status Begin(Level& level);

    const TilePyramid& m_table;
    TileSink& m_sink;
    std::vector<std::unique_ptr<Level>> m_levels;  // index as the table's
};

}  // namespace kerfel
