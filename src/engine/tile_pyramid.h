#pragma once
// The level table of one source image: every zoom level from the smallest
// (index 0) up to the source's own size (index n - 1), each the next larger
// one halved with rounding down.
#include <string>
#include <vector>

namespace kerfel {

constexpr int kTileEdge = 256;
constexpr int kStopThreshold = 98;   // no further level once half the larger side is below this
constexpr int kListThreshold = 250;  // a level is offered while one side reaches this

struct TilePyramid {
    std::vector<unsigned> m_arrLevelWidth;
    std::vector<unsigned> m_arrLevelHeight;
    std::vector<unsigned> m_arrLevelIndex;
    int m_nTotalTiles = 0;
    // Entries k of "Levels to Zoom In", in the order they were added (1, 2, ...).
    std::vector<int> m_arrListEntries;

    static TilePyramid Build(unsigned width, unsigned height);

    int LevelCount() const { return static_cast<int>(m_arrLevelIndex.size()); }
    bool Empty() const { return m_arrLevelIndex.empty(); }
    unsigned SourceWidth() const { return m_arrLevelWidth.empty() ? 0 : m_arrLevelWidth.back(); }
    unsigned SourceHeight() const { return m_arrLevelHeight.empty() ? 0 : m_arrLevelHeight.back(); }
    // The view level chosen by list entry k, or false when k is out of 1..n.
    bool ValidEntry(int k) const { return k >= 1 && k <= LevelCount(); }
    unsigned DisplayWidth(int k) const { return m_arrLevelWidth[LevelCount() - k]; }
    unsigned DisplayHeight(int k) const { return m_arrLevelHeight[LevelCount() - k]; }
};

// Tiles a level of the given size is cut into: ceil(w/256) * ceil(h/256).
int TileColumns(unsigned width);
int TileRows(unsigned height);

// "%d x %d" of a width and height.
std::string SizeText(unsigned width, unsigned height);

// The leading decimal digits of a text as an integer; no digits give 0.
int ParseLevelText(const std::string& text);

}  // namespace kerfel
