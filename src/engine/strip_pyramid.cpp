#include "engine/strip_pyramid.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace kerfel {

struct StripPyramid::Strip {
    std::unique_ptr<uint8_t[]> pixels;
    int readers = 0;  // tiles of this strip the sink still reads
};

// Strip j of a level holds the rows of tile row j with the layout's overlap
// above and below it: rows First(j) to End(j). A row in the overlap of two
// strips is written into the newest and copied into the older one(s), so
// that every tile's rows lie together in one strip.
struct StripPyramid::Level {
    int index = 0;
    unsigned width = 0, height = 0;
    unsigned rows = 0;  // rows of the level received so far
    unsigned tile = 0, overlap = 0;
    unsigned capacity = 0;  // rows of one strip: a tile's and its overlap, at most the level's
    int stripCount = 0;     // tile rows of the level
    // Strips take turns in these: one for a level of one strip; otherwise
    // enough that one fills while the one before is encoded, and that no
    // strip's turn comes before the strip it replaces is cut.
    std::vector<Strip> slots;
    int begun = 0;  // strips whose slot is known free for their rows
    int cut = 0;    // strips cut into tiles

    size_t Stride() const { return size_t(width) * 3; }
    unsigned First(int j) const { return j == 0 ? 0 : j * tile - overlap; }
    unsigned End(int j) const { return static_cast<unsigned>(std::min<unsigned long long>(height, (j + 1ull) * tile + overlap)); }
    // The newest and oldest strip that hold row y.
    int Newest(unsigned y) const { return static_cast<int>(std::min<unsigned long long>(stripCount - 1, (y + 0ull + overlap) / tile)); }
    int Oldest(unsigned y) const { return y < overlap ? 0 : static_cast<int>((y - overlap) / tile); }
    Strip& Slot(int j) { return slots[size_t(j) % slots.size()]; }
    uint8_t* RowIn(int j, unsigned y) { return Slot(j).pixels.get() + (y - First(j)) * Stride(); }
    // A row as the halving reads it: a pair of rows may straddle two strips.
    uint8_t* Row(unsigned y) { return RowIn(Newest(y), y); }
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
        level->tile = table.TileSize();
        level->overlap = table.Overlap();
        level->capacity = std::min(level->height, level->tile + 2 * level->overlap);
        level->stripCount = table.Rows(i);
        // Strip j + n takes strip j's place when its first row comes, which
        // must be after strip j's last: (n - 1) tiles cover both overlaps.
        const unsigned apart = 1 + (2 * level->overlap + level->tile - 1) / level->tile;
        level->slots.resize(level->stripCount <= 1 ? 1 : std::min<unsigned>(level->stripCount, std::max(2u, apart)));
        m_levels.push_back(std::move(level));
    }
}

StripPyramid::~StripPyramid() = default;

bool StripPyramid::Complete() const { return m_levels.empty() || m_levels.back()->rows >= m_levels.back()->height; }

unsigned long long StripPyramid::HeldBytes() const {
    unsigned long long bytes = 0;
    for (const auto& l : m_levels)
        for (const Strip& s : l->slots)
            if (s.pixels) bytes += 1ull * l->capacity * l->Stride();
    return bytes;
}

// Before the first row of a strip goes in, the tiles cut last time from the
// strip whose place it takes must be encoded: the sink may still be reading them.
Status StripPyramid::Begin(Level& level) {
    const int newest = level.Newest(level.rows);
    for (; level.begun <= newest; ++level.begun) {
        const int replaced = level.begun - static_cast<int>(level.slots.size());
        if (replaced >= level.cut) return Status::Output("the strips of level " + std::to_string(level.index) + " overlap too much");
        Strip& strip = level.Slot(level.begun);
        Status s = m_sink.AwaitReaders(&strip.readers);
        if (!s) return s;
        if (!strip.pixels) strip.pixels.reset(new uint8_t[size_t(level.capacity) * level.Stride()]);
    }
    return Status::Ok();
}

Status StripPyramid::NextRows(std::vector<uint8_t*>& rows) {
    rows.clear();
    if (Complete()) return Status::Ok();
    Level& top = *m_levels.back();
    Status s = Begin(top);
    if (!s) return s;
    // Up to where the next strip begins: the rows between lie in this one alone or last.
    const int j = top.Newest(top.rows);
    const unsigned n = (j + 1 < top.stripCount ? top.First(j + 1) : top.height) - top.rows;
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

// Row `level.rows` of the level is in its newest strip. It is copied into
// the older strips that hold it too; every strip it completes is cut (the
// larger level's tiles come before the smaller's); then an odd row
// completes a pair that makes one row of the level below (as does the last
// row alone, where halving rounds up).
Status StripPyramid::RowArrived(int index) {
    Level& level = *m_levels[index];
    const unsigned y = level.rows++;
    const int newest = level.Newest(y);
    for (int j = level.Oldest(y); j < newest; ++j) std::memcpy(level.RowIn(j, y), level.RowIn(newest, y), level.Stride());
    const bool pairs = y % 2 == 1 || level.rows == level.height;
    Status s;
    while (level.cut < level.stripCount && level.rows >= level.End(level.cut))
        if (!(s = CutStrip(level, level.cut++))) return s;
    if (index > 0 && pairs) {
        Level& below = *m_levels[index - 1];
        if (below.rows < below.height) {
            if (!(s = Begin(below))) return s;
            HalveRows(level.Row(y - y % 2), level.Row(y), below.Row(below.rows), level.width, below.width);
            if (!(s = RowArrived(index - 1))) return s;
        }
    }
    return Status::Ok();
}

Status StripPyramid::CutStrip(Level& level, int row) {
    const TileSpan down = m_table.RowSpan(level.index, row);
    Strip& strip = level.Slot(row);
    for (int c = 0; c < m_table.Columns(level.index); ++c) {
        const TileSpan across = m_table.ColumnSpan(level.index, c);
        TileCut t;
        t.level = level.index;
        t.column = c;
        t.row = row;
        t.pixels = level.RowIn(row, down.start) + size_t(across.start) * 3;
        t.stride = level.Stride();
        t.width = across.size;
        t.height = down.size;
        t.readers = &strip.readers;
        Status s = m_sink.Take(t);
        if (!s) return s;
    }
    return Status::Ok();
}

}  // namespace kerfel
