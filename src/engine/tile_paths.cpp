#include "engine/tile_paths.h"

#include <algorithm>
#include <set>
#include <tuple>

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

TilePlace TilePaths::Place(int level, int column, int row) const {
    const TileSpan across = m_table.ColumnSpan(level, column);
    const TileSpan down = m_table.RowSpan(level, row);
    // A level's pixel spans 2^steps pixels of the full-size picture.
    const int steps = m_table.LevelCount() - 1 - level;
    auto full = [steps](unsigned start, unsigned size, unsigned side) {
        const unsigned long long from = 1ull * start << steps;
        return std::make_pair(from, std::min(1ull * size << steps, side - std::min<unsigned long long>(from, side)));
    };
    TilePlace p{level, column, row};
    std::tie(p.x, p.w) = full(across.start, across.size, m_table.SourceWidth());
    std::tie(p.y, p.h) = full(down.start, down.size, m_table.SourceHeight());
    p.tw = across.size;
    p.th = down.size;
    p.width = m_table.SourceWidth();
    p.height = m_table.SourceHeight();
    if (const int whole = LayoutWholeLevel(); whole >= 0) {
        p.largestWidth = m_table.m_arrLevelWidth[whole];
        p.largestHeight = m_table.m_arrLevelHeight[whole];
    }
    return p;
}

std::string TilePaths::Below(const TilePlace& p) const {
    using std::to_string;
    return FillFields(m_table.m_pLayout->tilePath,
                      {{"level", to_string(p.level)}, {"column", to_string(p.column)}, {"row", to_string(p.row)},
                       {"x", to_string(p.x)}, {"y", to_string(p.y)}, {"w", to_string(p.w)}, {"h", to_string(p.h)},
                       {"tw", to_string(p.tw)}, {"th", to_string(p.th)}, {"name", m_name}});
}

// Its name, then its further names.
std::vector<std::string> TilePaths::AllBelow(const TilePlace& place) const {
    std::vector<std::string> all = {Below(place)};
    if (m_table.m_pLayout->otherPaths)
        for (std::string& other : m_table.m_pLayout->otherPaths(place)) all.push_back(std::move(other));
    return all;
}

std::string TilePaths::Of(int level, int column, int row) const {
    return JoinPath(m_folder, Below(Place(level, column, row)));
}

std::vector<std::string> TilePaths::OthersOf(int level, int column, int row) const {
    if (!m_table.m_pLayout->otherPaths) return {};
    std::vector<std::string> others = m_table.m_pLayout->otherPaths(Place(level, column, row));
    for (std::string& other : others) other = JoinPath(m_folder, other);
    return others;
}

int TilePaths::LayoutWholeLevel() const {
    const Layout& layout = *m_table.m_pLayout;
    if (!layout.wholeLevel || m_table.Empty()) return -1;
    const int level = layout.wholeLevel(m_table.m_arrLevelWidth, m_table.m_arrLevelHeight, layout.tileSize);
    return level < m_table.LevelCount() ? level : -1;
}

int TilePaths::WholeLevel() const {
    const int level = LayoutWholeLevel();
    return level >= 0 && m_table.LevelTiles(level) > 1 ? level : -1;
}

std::vector<std::string> TilePaths::WholeBelow() const {
    const int level = WholeLevel();
    if (level < 0) return {};
    TilePlace whole = Place(level, 0, 0);
    whole.w = whole.width;
    whole.h = whole.height;
    whole.tw = whole.largestWidth;
    whole.th = whole.largestHeight;
    return AllBelow(whole);
}

std::vector<std::string> TilePaths::WholePicturePaths() const {
    std::vector<std::string> paths = WholeBelow();
    for (std::string& path : paths) path = JoinPath(m_folder, path);
    return paths;
}

std::vector<std::string> TilePaths::Folders() const {
    std::vector<std::string> folders;
    std::set<std::string> seen;
    auto add = [&](const std::string& path) {
        for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
            if (seen.insert(path.substr(0, slash)).second) folders.push_back(path.substr(0, slash));
    };
    for (int l = 0; l < m_table.LevelCount(); ++l)
        for (int c = 0; c < m_table.Columns(l); ++c)
            for (int r = 0; r < m_table.Rows(l); ++r)
                for (const std::string& path : AllBelow(Place(l, c, r))) add(path);
    for (const std::string& path : WholeBelow()) add(path);
    return folders;
}

}  // namespace kerfel
