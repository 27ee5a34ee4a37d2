#include "engine/tile_pyramid.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace kerfel {

namespace {

unsigned Half(unsigned side, Halving halving) { return halving == Halving::Ceil ? side - side / 2 : side / 2; }

}  // namespace

TilePyramid TilePyramid::Build(const Layout& layout, unsigned width, unsigned height) {
    TilePyramid p;
    p.m_pLayout = &layout;
    p.m_arrLevelIndex.push_back(0);
    p.m_arrLevelHeight.push_back(height);
    p.m_arrLevelWidth.push_back(width);
    if (height >= kListThreshold || width >= kListThreshold) p.m_arrListEntries.push_back(1);
    p.m_nTotalTiles = p.LevelTiles(0);
    const unsigned smallest = layout.levels.smallestSide ? layout.levels.smallestSide : layout.tileSize;
    for (;;) {
        const unsigned h = p.m_arrLevelHeight.front();
        const unsigned w = p.m_arrLevelWidth.front();
        // A side of one pixel halved up stays one pixel: that is the end too.
        if (std::max(h, w) <= std::max(1u, smallest)) break;
        const unsigned halfH = Half(h, layout.levels.halving), halfW = Half(w, layout.levels.halving);
        p.m_arrLevelIndex.push_back(static_cast<unsigned>(p.m_arrLevelIndex.size()));
        p.m_arrLevelHeight.insert(p.m_arrLevelHeight.begin(), halfH);
        p.m_arrLevelWidth.insert(p.m_arrLevelWidth.begin(), halfW);
        if (halfH >= kListThreshold || halfW >= kListThreshold) p.m_arrListEntries.push_back(p.LevelCount());
        p.m_nTotalTiles += p.LevelTiles(0);
    }
    return p;
}

TileSpan TilePyramid::Span(unsigned side, int index) const {
    const unsigned long long start = 1ull * index * TileSize();
    if (index < 0 || start >= side) return {};
    const unsigned overlap = m_pLayout->overlap;
    const unsigned long long from = index > 0 && start > overlap ? start - overlap : 0;
    const unsigned long long to = std::min<unsigned long long>(side, start + TileSize() + overlap);
    return {static_cast<unsigned>(from), static_cast<unsigned>(to - from)};
}

std::string SizeText(unsigned width, unsigned height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

int ParseLevelText(const std::string& text) {
    long long v = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) break;
        v = v * 10 + (c - '0');
        if (v > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(v);
}

}  // namespace kerfel
