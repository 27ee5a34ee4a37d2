#pragma once
// Where a job's finished tiles go: files in the job folder, or entries of
// one archive (engine/job_archive.h). The encoders hand each tile over whole,
// from several threads at once; neither the strips, the encoders nor the
// layouts know which it is.
#include <cstddef>
#include <string>
#include <vector>

#include "base/status.h"

namespace kerfel {

class TileStore {
public:
    virtual ~TileStore() = default;
    // A finished tile at `path` (as TilePaths gives it) and under each of
    // its further names; errors name the file or archive that failed.
    virtual Status Put(const std::string& path, const std::vector<std::string>& others, const void* data,
                       std::size_t size) = 0;
};

// Each tile a file of its own, never under its name before it is whole, so a
// job killed mid-write leaves no broken tile; further names are hard links.
class FolderTileStore : public TileStore {
public:
    Status Put(const std::string& path, const std::vector<std::string>& others, const void* data,
               std::size_t size) override;
};

}  // namespace kerfel
