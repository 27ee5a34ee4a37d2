#include "engine/whole_level.h"

#include <algorithm>
#include <cstring>

#include "engine/tile_encoder.h"

namespace kerfel {

WholeLevelSink::WholeLevelSink(const TilePyramid& table, const TilePaths& paths, TileStore& store, TileSink& next)
    : m_table(table), m_paths(paths), m_store(store), m_next(next), m_level(paths.WholeLevel()) {
    if (m_level >= 0) m_missing = table.LevelTiles(m_level);
}

Status WholeLevelSink::Take(const TileCut& tile) {
    if (tile.level == m_level && m_missing > 0) {
        Status s = Keep(tile);
        if (!s) return s;
    }
    return m_next.Take(tile);
}

Status WholeLevelSink::Keep(const TileCut& tile) {
    const size_t stride = size_t(m_table.m_arrLevelWidth[m_level]) * 3;
    if (m_pixels.empty()) m_pixels.resize(stride * m_table.m_arrLevelHeight[m_level]);
    const TileSpan across = m_table.ColumnSpan(m_level, tile.column);
    const TileSpan down = m_table.RowSpan(m_level, tile.row);
    for (unsigned y = 0; y < tile.height; ++y)
        std::memcpy(&m_pixels[(down.start + y) * stride + across.start * 3], tile.pixels + y * tile.stride,
                    size_t(tile.width) * 3);
    return --m_missing == 0 ? Write() : Status::Ok();
}

Status WholeLevelSink::Write() {
    const std::vector<std::string> paths = m_paths.WholePicturePaths();
    TileEncoder encoder;
    std::vector<uint8_t> jpeg;
    Status s = encoder.Encode(m_pixels.data(), m_table.m_arrLevelWidth[m_level], m_table.m_arrLevelHeight[m_level],
                              jpeg);
    if (!s) return Status::Output(paths.front() + ": " + s.message);
    std::vector<uint8_t>().swap(m_pixels);
    return m_store.Put(paths.front(), std::vector<std::string>(paths.begin() + 1, paths.end()), jpeg.data(),
                       jpeg.size());
}

}  // namespace kerfel
