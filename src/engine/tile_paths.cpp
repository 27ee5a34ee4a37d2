#include "engine/tile_paths.h"

#include <algorithm>
#include <set>

#include "base/path.h"

namespace kerfel {

std::string FillFields(const std::string& pattern, const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string out;
    size_t pos = 0;
    for (size_t open; (open = pattern.find('{', pos)) != std::string::npos;) {
        const size_t close = pattern.find('}', open);
        if (close == std::string::npos) break;
        const std::string key = pattern.substr(open + 1, close - open - 1);
        auto field = std::find_if(fields.begin(), fields.end(), [&](const auto& f) { return f.first == key; });
        out.append(pattern, pos, open - pos);
        if (field != fields.end()) out += field->second;
        else out.append(pattern, open, close + 1 - open);
        pos = close + 1;
    }
    out.append(pattern, pos, std::string::npos);
    return out;
}

TilePaths::TilePaths(const TilePyramid& table, std::string jobFolder, std::string jobName)
    : m_table(table), m_folder(std::move(jobFolder)), m_name(std::move(jobName)) {}

std::string TilePaths::Below(int level, int column, int row) const {
    const TileSpan across = m_table.ColumnSpan(level, column);
    const TileSpan down = m_table.RowSpan(level, row);
    // A level's pixel spans 2^steps pixels of the full-size picture.
    const int steps = m_table.LevelCount() - 1 - level;
    auto full = [steps](unsigned start, unsigned size, unsigned side) {
        const unsigned long long from = 1ull * start << steps;
        return std::make_pair(from, std::min(1ull * size << steps, side - std::min<unsigned long long>(from, side)));
    };
    const auto [x, w] = full(across.start, across.size, m_table.SourceWidth());
    const auto [y, h] = full(down.start, down.size, m_table.SourceHeight());
    using std::to_string;
    return FillFields(m_table.m_pLayout->tilePath,
                      {{"level", to_string(level)}, {"column", to_string(column)}, {"row", to_string(row)},
                       {"x", to_string(x)}, {"y", to_string(y)}, {"w", to_string(w)}, {"h", to_string(h)},
                       {"tw", to_string(across.size)}, {"th", to_string(down.size)}, {"name", m_name}});
}

std::string TilePaths::Of(int level, int column, int row) const {
    return JoinPath(m_folder, Below(level, column, row));
}

std::vector<std::string> TilePaths::Folders() const {
    std::vector<std::string> folders;
    std::set<std::string> seen;
    for (int l = 0; l < m_table.LevelCount(); ++l)
        for (int c = 0; c < m_table.Columns(l); ++c)
            for (int r = 0; r < m_table.Rows(l); ++r) {
                const std::string path = Below(l, c, r);
                for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
                    if (seen.insert(path.substr(0, slash)).second) folders.push_back(path.substr(0, slash));
            }
    return folders;
}

}  // namespace kerfel
