#include "engine/tile_pyramid.h"

#include <cctype>
#include <climits>

namespace kerfel {

int TileColumns(unsigned width) { return static_cast<int>((width + kTileEdge - 1) / kTileEdge); }
int TileRows(unsigned height) { return TileColumns(height); }

static int LevelTiles(unsigned w, unsigned h) { return TileColumns(w) * TileRows(h); }

TilePyramid TilePyramid::Build(unsigned width, unsigned height) {
    TilePyramid p;
    p.m_arrLevelIndex.push_back(0);
    p.m_arrLevelHeight.push_back(height);
    p.m_arrLevelWidth.push_back(width);
    if (height >= kListThreshold || width >= kListThreshold) p.m_arrListEntries.push_back(1);
    p.m_nTotalTiles = LevelTiles(width, height);
    for (;;) {
        unsigned h = p.m_arrLevelHeight.front();
        unsigned w = p.m_arrLevelWidth.front();
        if ((h > w ? h : w) / 2 < kStopThreshold) break;
        p.m_arrLevelIndex.push_back(static_cast<unsigned>(p.m_arrLevelIndex.size()));
        p.m_arrLevelHeight.insert(p.m_arrLevelHeight.begin(), h / 2);
        p.m_arrLevelWidth.insert(p.m_arrLevelWidth.begin(), w / 2);
        if (h / 2 >= kListThreshold || w / 2 >= kListThreshold)
            p.m_arrListEntries.push_back(p.LevelCount());
        p.m_nTotalTiles += LevelTiles(w / 2, h / 2);
    }
    return p;
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
