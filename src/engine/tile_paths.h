#pragma once
// Where each tile of a job lies: its layout's tile path, filled in.
#include <string>
#include <utility>
#include <vector>

#include "engine/tile_pyramid.h"

namespace kerfel {

class TilePaths {
public:
    // The table (and so its layout) must outlive this.
    TilePaths(const TilePyramid& table, std::string jobFolder, std::string jobName);

    std::string Of(int level, int column, int row) const;
    // The tile's further names (the layout's other paths), each a link to it.
    std::vector<std::string> OthersOf(int level, int column, int row) const;
    // The folders the tiles go in, below the job folder, each after the
    // folder that holds it.
    std::vector<std::string> Folders() const;

    // The level the layout also writes as one picture, where it spans more
    // than one tile (-1: none), and that picture's paths, its name first.
    int WholeLevel() const;
    std::vector<std::string> WholePicturePaths() const;

    TilePlace Place(int level, int column, int row) const;

private:
    std::string Below(const TilePlace& place) const;
    std::vector<std::string> AllBelow(const TilePlace& place) const;
    std::vector<std::string> WholeBelow() const;
    int LayoutWholeLevel() const;

    const TilePyramid& m_table;
    const std::string m_folder;
    const std::string m_name;
};

// `pattern` with every "{field}" of `fields` replaced by its value; any
// other braces stay as they are.
std::string FillFields(const std::string& pattern, const std::vector<std::pair<std::string, std::string>>& fields);

}  // namespace kerfel
