#pragma once
// The tile pyramid of one job: the job folder named after the image, with
// one JPEG per tile where the table's layout puts it (the native layout:
// "Images/level-column-row.jpg"), written strip by strip as the source is
// decoded from the top: each full strip of a level left to right, before the
// strips of smaller levels it completes.
// It tells what happens as events and knows no texts, windows or
// publishing: the job runner (app/job_runner.h) passes its events on and
// writes the descriptor and viewer beside the tiles.
#include <memory>
#include <string>
#include <vector>

#include "base/folder_lock.h"
#include "base/status.h"
#include "engine/descriptor.h"
#include "engine/job_archive.h"
#include "engine/job_events.h"
#include "engine/job_folder.h"
#include "engine/tile_encoder.h"
#include "engine/tile_pyramid.h"

namespace kerfel {

struct GeneratorJob {
    std::string sourcePath;
    std::string outputFolder;
    TilePyramid pyramid;  // the table the job is cut by, in its layout; must describe the source
    // Every tile encoded and written on the calling thread, one after
    // another: the reference the pool of encoders must match byte for byte.
    bool oneThread = false;
    int threads = 0;                // tile encoders; 0: one per core
    int quality = kTileJpegQuality;  // of the tiles' JPEG, 1 to 100
    unsigned long long memoryLimit = 0;  // bytes a picture that cannot stream may take; 0: half the machine's memory
    // One archive instead of a job folder (engine/job_archive.h): at
    // ArchivePathFor(outputFolder, sourcePath), standard output included.
    bool oneArchive = false;
    // Damaged coded data is cut as far as it goes, with a note of the rows
    // lost, instead of failing the job (the command line's --accept-damaged).
    bool acceptDamaged = false;
};

enum class JobEnd { Finished, Declined, Cancelled, Failed };

struct JobResult {
    JobEnd end = JobEnd::Failed;
    Status status;          // the reason when Failed
    std::string jobFolder;  // or the archive's path
    int tilesWritten = 0;
    // What the user should know whatever the end, one line naming the file
    // each: a colour profile that could not be used, damage accepted.
    std::vector<std::string> notes;
    // The job folder, locked against other jobs from before the first tile;
    // whoever writes the job's files after the tiles lets it go then.
    std::shared_ptr<const FolderLock> folderLock;
    // The job's archive, open, when it is written as one: whoever writes the
    // job's files after the tiles adds them and commits it.
    std::shared_ptr<JobArchive> archive;
};

// Whether the table can be cut: at least one level, each the next one's
// half, no level with a zero side (halving a very narrow picture down gives
// one, which holds no tile), and tiles the strips can cut.
Status CheckPyramid(const TilePyramid& pyramid);

// The descriptor's values for list entry k and the given options.
DescriptorValues DescribePyramid(const TilePyramid& pyramid, int k);

// Cuts every tile of the job on the calling thread, telling Started before
// the first folder is made (or the archive begun) and each tile's
// TileWritten with the count so far. Finished means every tile is written; a stop asked for after the last
// tile still ends the job as Cancelled.
JobResult GenerateTiles(const GeneratorJob& job, const JobEvents& events);

}  // namespace kerfel
