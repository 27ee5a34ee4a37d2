#pragma once
// The tile pyramid of one job: the job folder named after the image and its
// "Images" folder with one JPEG per tile ("level-column-row.jpg"), written
// strip by strip as the source is decoded from the top: each full strip of
// a level left to right, before the strips of smaller levels it completes.
// It reports what happens as events and knows no texts, windows or
// publishing: the job runner (app/job_runner.h) turns its events into the
// language's texts and writes the descriptor and viewer beside the tiles.
#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "engine/descriptor.h"
#include "engine/job_layout.h"
#include "engine/tile_pyramid.h"

namespace kerfel {

struct GeneratorJob {
    std::string sourcePath;
    std::string outputFolder;
    TilePyramid pyramid;  // the table the job is cut by; must describe the source
    // Every tile encoded and written on the calling thread, one after
    // another: the reference the pool of encoders must match byte for byte.
    bool oneThread = false;
    int threads = 0;                // tile encoders; 0: one per core
    unsigned long long memoryLimit = 0;  // bytes a picture that cannot stream may take; 0: half the machine's memory
};

// A tile about to be cut and written.
struct TileEvent {
    int level = 0, column = 0, row = 0;
    std::string path;
};

// Every hook is called on the job's thread; each may be left empty.
struct GeneratorHooks {
    std::function<void(const TileEvent& tile)> tileStarted;
    // After each tile written: tiles done so far and the job's total.
    std::function<void(int done, int total)> progress;
    // The job folder exists already: may the job write into it? Without it,
    // yes.
    std::function<bool(const std::string& jobFolder)> mayWriteInto;
    // Tested once after every tile; true stops the job there.
    std::function<bool()> cancelRequested;
    // Writing begins (the folder is new, or the job may write into it).
    std::function<void(const std::string& jobFolder)> started;
};

enum class JobEnd { Finished, Declined, Cancelled, Failed };

struct JobResult {
    JobEnd end = JobEnd::Failed;
    Status status;          // the reason when Failed
    std::string jobFolder;
    int tilesWritten = 0;
    // What the user should know whatever the end, one line naming the file
    // each: a colour profile that could not be used.
    std::vector<std::string> notes;
};

// Whether the table can be cut: at least one level, and no level with a
// zero side (halving a very narrow picture gives one, which holds no tile).
Status CheckPyramid(const TilePyramid& pyramid);

// The descriptor's values for list entry k and the given options.
DescriptorValues DescribePyramid(const TilePyramid& pyramid, int k);

// Cuts every tile of the job on the calling thread. Finished means every
// tile is written; a cancel request that comes after the last tile still
// ends the job as Cancelled.
JobResult GenerateTiles(const GeneratorJob& job, const GeneratorHooks& hooks);

}  // namespace kerfel
