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
    // The folders the tiles go in, below the job folder, each after the
    // folder that holds it.
    std::vector<std::string> Folders() const;

private:
    std::string Below(int level, int column, int row) const;

    const TilePyramid& m_table;
    const std::string m_folder;
    const std::string m_name;
};

// `pattern` with every "{field}" of `fields` replaced by its value; any
// other braces stay as they are.
std::string FillFields(const std::string& pattern, const std::vector<std::pair<std::string, std::string>>& fields);

}  // namespace kerfel
