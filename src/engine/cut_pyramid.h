#pragma once
// The tiles of every level of a source picture, cut in one pass over the source: it
// is decoded a band of rows at a time into a strip pyramid whose full
// strips go to a pool of encoders. Knows nothing of texts or windows.
#include <string>
#include <vector>

#include "base/status.h"
#include "engine/encode_pool.h"
#include "engine/tile_encoder.h"
#include "engine/tile_paths.h"
#include "engine/tile_pyramid.h"
#include "engine/tile_store.h"

namespace kerfel {

// Hands every tile of `table` (which must describe the source and pass
// CheckPyramid) to `store` at its path; without a store each is a file, in
// the paths' folders, which must exist.
// threads: encoders, 0 one per core, -1 none (everything on the calling
// thread, one tile after another). memoryLimit: what a picture that cannot
// stream may take, 0 half of the machine's memory; above it the job is
// refused before anything is written. Every error names its file; a stop
// asked for through the events ends with Fault::Cancelled. Tells each tile
// as it is taken and written. What the user should know of a job that goes
// on all the same (a colour profile that cannot be used) is added to
// `notes`, one line naming the file each. Tiles are encoded at `quality`.
// Damaged coded data fails the job where it is met, unless `acceptDamaged`:
// then the job goes on and a note says how many rows were lost.
Status CutPyramid(const std::string& sourcePath, const TilePyramid& table, const TilePaths& paths,
                  int threads, unsigned long long memoryLimit, const JobEvents& events,
                  std::vector<std::string>* notes = nullptr, int quality = kTileJpegQuality,
                  TileStore* store = nullptr, bool acceptDamaged = false);

}  // namespace kerfel
