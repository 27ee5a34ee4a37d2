#pragma once
// The level a layout also publishes as one picture (engine/layout.h,
// Layout::wholeLevel), gathered from that level's tiles as the strips cut
// them and written once its last tile is in. Such a level is at most two
// tiles high, so what it holds grows with the width only.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/strip_pyramid.h"
#include "engine/tile_paths.h"
#include "engine/tile_store.h"

namespace kerfel {

// Hands every tile on to `next` unchanged; keeps a copy of the whole
// level's tiles on the way.
class WholeLevelSink : public TileSink {
public:
    // The table, paths and store must outlive this.
    WholeLevelSink(const TilePyramid& table, const TilePaths& paths, TileStore& store, TileSink& next);

    Status Take(const TileCut& tile) override;
    Status AwaitReaders(int* readers) override { return m_next.AwaitReaders(readers); }

private:
    Status Keep(const TileCut& tile);
    Status Write();

    const TilePyramid& m_table;
    const TilePaths& m_paths;
    TileStore& m_store;
    TileSink& m_next;
    const int m_level;  // -1: no whole level
    std::vector<uint8_t> m_pixels;
    int m_missing = 0;  // tiles of the level still to come
};

}  // namespace kerfel
