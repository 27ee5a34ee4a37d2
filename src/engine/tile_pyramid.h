#pragma once
// The level table of one source image in one layout: every zoom level from
// the smallest (index 0) up to the source's own size (index n - 1), each the
// next larger one halved as the layout's level rule says, and the grid of
// tiles each level is cut into.
#include <string>
#include <vector>

#include "engine/layout.h"

namespace kerfel {

constexpr int kListThreshold = 250;  // a level is offered while one side reaches this

// The pixels of one tile along one side of its level: from `start`, `size` of them.
struct TileSpan {
    unsigned start = 0;
    unsigned size = 0;
};

struct TilePyramid {
    std::vector<unsigned> m_arrLevelWidth;
    std::vector<unsigned> m_arrLevelHeight;
    std::vector<unsigned> m_arrLevelIndex;
    long long m_nTotalTiles = 0;  // 64 bits: a picture's count may pass 2^31; a job refuses that (CheckPyramid)
    // Entries k of "Levels to Zoom In", in the order they were added (1, 2, ...).
    std::vector<int> m_arrListEntries;
    // The layout whose level rule made the table; its tiles lie as it says.
    const Layout* m_pLayout = &NativeLayout();

    static TilePyramid Build(const Layout& layout, unsigned width, unsigned height);

    int LevelCount() const { return static_cast<int>(m_arrLevelIndex.size()); }
    bool Empty() const { return m_arrLevelIndex.empty(); }
    unsigned SourceWidth() const { return m_arrLevelWidth.empty() ? 0 : m_arrLevelWidth.back(); }
    unsigned SourceHeight() const { return m_arrLevelHeight.empty() ? 0 : m_arrLevelHeight.back(); }
    // The view level chosen by list entry k, or false when k is out of 1..n.
    bool ValidEntry(int k) const { return k >= 1 && k <= LevelCount(); }
    unsigned DisplayWidth(int k) const { return m_arrLevelWidth[LevelCount() - k]; }
    unsigned DisplayHeight(int k) const { return m_arrLevelHeight[LevelCount() - k]; }

    // The tile grid: columns and rows of a level, ceil(side / tile size).
    unsigned TileSize() const { return m_pLayout->tileSize; }
    unsigned Overlap() const { return m_pLayout->overlap; }
    int Columns(int level) const { return Tiles(m_arrLevelWidth[level]); }
    int Rows(int level) const { return Tiles(m_arrLevelHeight[level]); }
    long long LevelTiles(int level) const {
        return Count(m_arrLevelWidth[level]) * Count(m_arrLevelHeight[level]);
    }
    // Where a tile lies in its level: a tile's size, with the layout's
    // overlap added on its inner edges, clamped to the level.
    TileSpan ColumnSpan(int level, int column) const { return Span(m_arrLevelWidth[level], column); }
    TileSpan RowSpan(int level, int row) const { return Span(m_arrLevelHeight[level], row); }

private:
    long long Count(unsigned side) const { return static_cast<long long>((side + TileSize() - 1ull) / TileSize()); }
    int Tiles(unsigned side) const { return static_cast<int>(Count(side)); }
    TileSpan Span(unsigned side, int index) const;
};

// "%d x %d" of a width and height.
std::string SizeText(unsigned width, unsigned height);

// The leading decimal digits of a text as an integer; no digits give 0.
int ParseLevelText(const std::string& text);

}  // namespace kerfel
