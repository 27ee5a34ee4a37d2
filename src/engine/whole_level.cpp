#include "engine/whole_level.h"

#include <algorithm>
#include <cstring>

#include "base/file_write.h"
#include "engine/tile_encoder.h"

namespace kerfel {

WholeLevelSink::WholeLevelSink(const TilePyramid& table, const TilePaths& paths, TileSink& next)
    : m_table(table), m_paths(paths), m_next(next), m_level(paths.WholeLevel()) {
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
    if (!(s = ReplaceFile(paths.front(), jpeg.data(), jpeg.size()))) return s;
    for (size_t i = 1; i < paths.size(); ++i)
        if (!(s = LinkAtomically(paths.front(), paths[i]))) return s;
    return s;
}

}  // namespace kerfel
