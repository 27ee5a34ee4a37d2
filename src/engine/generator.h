#pragma once
// The tile pyramid of one job: the job folder named after the image, its
// "Images" folder with one JPEG per tile ("level-column-row.jpg", levels
// from the largest down, columns left to right, rows top to bottom within a
// column), then the descriptor and the browser viewer beside them.
// Driven by the dialog and by the command line through callbacks; it knows
// no window.
#include <functional>
#include <string>

#include "engine/descriptor.h"
#include "base/status.h"
#include "engine/tile_pyramid.h"

namespace kerfel {

struct GeneratorJob {
    std::string sourcePath;
    std::string outputFolder;
    TilePyramid pyramid;  // the table the job is cut by; must describe the source
    // Every step on the calling thread, one after another: the reference the
    // overlapped path (files written and the next level made beside the
    // encoding) must match byte for byte.
    bool oneThread = false;
    int threads = 0;                // tile encoders; 0: one per core
    unsigned long long memoryLimit = 0;  // bytes a picture that cannot stream may take; 0: half the machine's memory
};

struct GeneratorHooks {
    // The status line's new text.
    std::function<void(const std::string& text)> status;
    // After each tile written: tiles done so far and the job's total.
    std::function<void(int done, int total)> progress;
    // A question box (text, caption, MBX_* flags); returns IDYES, IDNO, ...
    // Without it an existing job folder is written into.
    std::function<int(const std::string& text, const std::string& caption, int flags)> ask;
    // Tested once after every tile; true stops the job there.
    std::function<bool()> cancelRequested;
    // Writing begins (the question, if any, was answered Yes).
    std::function<void(const std::string& jobFolder)> started;
    // The descriptor's values as they are when it is written (and anything
    // the descriptor names put in place). A Cancelled status stops the job as
    // cancelled, any other fault fails it. Without it no descriptor is written.
    std::function<Status(DescriptorValues& values)> describe;
};

enum class JobEnd { Finished, Declined, Cancelled, Failed };

struct JobResult {
    JobEnd end = JobEnd::Failed;
    Status status;          // the reason when Failed
    std::string jobFolder;
    int tilesWritten = 0;
};

// The job's name: the source's file name without its extension.
std::string JobName(const std::string& sourcePath);
// Output folder + "/" + job name, without doubled separators.
std::string JobFolderFor(const std::string& outputFolder, const std::string& sourcePath);
// "level-column-row.jpg"
std::string TileFileName(int level, int column, int row);

// Whether the table can be cut: at least one level, and no level with a
// zero side (halving a very narrow picture gives one, which holds no tile).
Status CheckPyramid(const TilePyramid& pyramid);

// The descriptor's values for list entry k and the given options.
DescriptorValues DescribePyramid(const TilePyramid& pyramid, int k);

// Runs the whole job on the calling thread.
JobResult GenerateTiles(const GeneratorJob& job, const GeneratorHooks& hooks);

}  // namespace kerfel
