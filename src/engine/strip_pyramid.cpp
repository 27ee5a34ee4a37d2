#include "engine/strip_pyramid.h"

#include <algorithm>

namespace kerfel {

struct StripPyramid::Strip {
    std::unique_ptr<uint8_t[]> pixels;
    int readers = 0;  // tiles of this strip the sink still reads
};

struct StripPyramid::Level {
    int index = 0;
    unsigned width = 0, height = 0;
    unsigned rows = 0;  // rows of the level received so far
    unsigned stripRows = 0;  // rows of one strip: a tile, or the whole level when lower
    // A level of one strip needs one; taller ones get a second, made when
    // first needed, so that one is filled while the other is encoded.
    Strip strips[2];
    bool begun = false;  // the strip of the next row is known free for its rows

    size_t Stride() const { return size_t(width) * 3; }
    bool TwoStrips() const { return height > stripRows; }
    // Strips take turns, so a row of the strip before stays readable while
    // the next one fills: a pair of rows may straddle two strips.
    Strip& StripOf(unsigned y) { return strips[TwoStrips() ? y / stripRows % 2 : 0]; }
    uint8_t* Row(unsigned y) { return StripOf(y).pixels.get() + (y % stripRows) * Stride(); }
};

namespace {

// One row of the level below from two rows of a level: the rounded mean of
// each 2 x 2 block, and where the level below is wider than half (halving
// rounds up) the odd last column averaged with itself.
void HalveRows(const uint8_t* a, const uint8_t* b, uint8_t* d, unsigned width, unsigned belowWidth) {
    const unsigned pairs = std::min(belowWidth, width / 2);
    for (unsigned x = 0; x < pairs; ++x, a += 6, b += 6, d += 3) {
        d[0] = static_cast<uint8_t>((a[0] + a[3] + b[0] + b[3] + 2) >> 2);
        d[1] = static_cast<uint8_t>((a[1] + a[4] + b[1] + b[4] + 2) >> 2);
        d[2] = static_cast<uint8_t>((a[2] + a[5] + b[2] + b[5] + 2) >> 2);
    }
    if (belowWidth > pairs)
        for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>((2 * a[c] + 2 * b[c] + 2) >> 2);
}

}  // namespace

StripPyramid::StripPyramid(const TilePyramid& table, TileSink& sink) : m_table(table), m_sink(sink) {
    for (int i = 0; i < table.LevelCount(); ++i) {
        auto level = std::make_unique<Level>();
        level->index = i;
        level->width = table.m_arrLevelWidth[i];
        level->height = table.m_arrLevelHeight[i];
        level->stripRows = std::min(level->height, table.TileSize());
        m_levels.push_back(std::move(level));
    }
}

StripPyramid::~StripPyramid() = default;

bool StripPyramid::Complete() const { return m_levels.empty() || m_levels.back()->rows >= m_levels.back()->height; }

unsigned long long StripPyramid::HeldBytes() const {
    unsigned long long bytes = 0;
    for (const auto& l : m_levels)
        for (const Strip& s : l->strips)
            if (s.pixels) bytes += 1ull * l->stripRows * l->Stride();
    return bytes;
}

// Before the first row of a strip goes in, the tiles cut from it last time
// must be encoded: the sink may still be reading them.
Status StripPyramid::Begin(Level& level) {
    if (level.begun) return Status::Ok();
    Strip& strip = level.StripOf(level.rows);
    Status s = m_sink.AwaitReaders(&strip.readers);
    if (!s) return s;
    if (!strip.pixels) strip.pixels.reset(new uint8_t[size_t(level.stripRows) * level.Stride()]);
    level.begun = true;
    return Status::Ok();
}

Status StripPyramid::NextRows(std::vector<uint8_t*>& rows) {
    rows.clear();
    if (Complete()) return Status::Ok();
    Level& top = *m_levels.back();
    Status s = Begin(top);
    if (!s) return s;
    const unsigned inStrip = top.rows % top.stripRows;
    const unsigned n = std::min(top.stripRows - inStrip, top.height - top.rows);
    for (unsigned i = 0; i < n; ++i) rows.push_back(top.Row(top.rows + i));
    return Status::Ok();
}

Status StripPyramid::Filled(unsigned count) {
    for (unsigned i = 0; i < count && !Complete(); ++i) {
        Status s = RowArrived(static_cast<int>(m_levels.size()) - 1);
        if (!s) return s;
    }
    return Status::Ok();
}

// Row `level.rows` of the level is in its strip. A full strip is cut first
// (the larger level's tiles come before the smaller's), then an odd row
// completes a pair that makes one row of the level below (as does the last
// row alone, where halving rounds up), then a full strip gives way to the
// other.
Status StripPyramid::RowArrived(int index) {
    Level& level = *m_levels[index];
    const unsigned y = level.rows++;
    const bool stripFull = level.rows == level.height || level.rows % level.stripRows == 0;
    const bool pairs = y % 2 == 1 || level.rows == level.height;
    Status s;
    if (stripFull && !(s = CutStrip(level))) return s;
    if (index > 0 && pairs) {
        Level& below = *m_levels[index - 1];
        if (below.rows < below.height) {
            if (!(s = Begin(below))) return s;
            HalveRows(level.Row(y - y % 2), level.Row(y), below.Row(below.rows), level.width, below.width);
            if (!(s = RowArrived(index - 1))) return s;
        }
    }
    if (stripFull) level.begun = false;
    return Status::Ok();
}

Status StripPyramid::CutStrip(Level& level) {
    const unsigned top = (level.rows - 1) / level.stripRows * level.stripRows;
    const int row = static_cast<int>(top / level.stripRows);
    Strip& strip = level.StripOf(top);
    for (int c = 0; c < m_table.Columns(level.index); ++c) {
        const TileSpan across = m_table.ColumnSpan(level.index, c);
        TileCut t;
        t.level = level.index;
        t.column = c;
        t.row = row;
        t.pixels = strip.pixels.get() + size_t(across.start) * 3;
        t.stride = level.Stride();
        t.width = across.size;
        t.height = level.rows - top;
        t.readers = &strip.readers;
        Status s = m_sink.Take(t);
        if (!s) return s;
    }
    return Status::Ok();
}

}  // namespace kerfel
