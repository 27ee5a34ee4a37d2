#pragma once
// Runs one job for the dialog and the command line alike: the checks both
// make before a job, the tiles, the music copy and the job's files, with
// the engine's events turned into the language's texts.
#include <functional>
#include <optional>
#include <string>

#include "base/path.h"
#include "base/status.h"
#include "engine/descriptor.h"
#include "app/status_line.h"
#include "engine/generator.h"

namespace kerfel {

// What the job publishes beside its tiles, taken when the tiles are done:
// the dialog's options and levels list stay usable during a job.
struct JobPublishing {
    DescriptorValues values;  // `music` is set from musicPath
    std::string musicPath;    // empty: no music, and no copy left behind
};

// Every hook is called on the job's thread; each may be left empty.
struct JobRunnerHooks {
    // What the status line says now (app/status_line.h says it in the
    // language loaded at any moment).
    std::function<void(const StatusLine& line)> status;
    // After each tile written: tiles done so far and the job's total.
    std::function<void(int done, int total)> progress;
    // The job folder exists: a Yes/No question in the language's texts;
    // true writes into it. Without it, the job writes into it.
    std::function<bool(const std::string& text, const std::string& caption)> askYesNo;
    // Tested once after every tile; true stops the job there.
    std::function<bool()> cancelRequested;
    // Writing begins in this job folder.
    std::function<void(const std::string& jobFolder)> started;
    // What to publish once the tiles are done; nullopt stops the job as
    // cancelled. Without it only the tiles are written.
    std::function<std::optional<JobPublishing>()> publishing;
};

JobResult RunJob(const GeneratorJob& job, const JobRunnerHooks& hooks);

// The music copy and the descriptor with the browser viewer, as Make,
// Preview and Export leave them: the music goes in before the descriptor
// that names it.
Status PublishJobFiles(const std::string& jobFolder, const JobPublishing& publishing);

// Checks made before a job starts, shared by both front ends (with
// IsFolder and IsReadableFile of base/path.h); each tells its user in its
// own words.
// Whether k is an entry of the levels list.
bool OffersLevels(const TilePyramid& pyramid, int k);
// The source as it is now must be the picture the table was made for:
// BadInput naming the file when it cannot be read, `changed` when its size
// differs from the table's.
Status CheckSourceUnchanged(const std::string& sourcePath, const TilePyramid& pyramid, bool& changed);

}  // namespace kerfel
