#pragma once
// Runs one job for the dialog and the command line alike: the checks both
// make before a job, the tiles, the music copy and the job's files, and the
// language's texts for what the job tells.
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

// What to publish once the tiles are done; nullopt stops the job as
// cancelled. Called on the job's thread.
using PublishingSource = std::function<std::optional<JobPublishing>()>;

// The tiles, then (when `publishing` is given) the music copy and the job's
// files, telling Publishing before them and Cancelled for a job stopped on
// the way. The events are passed to the engine as they are.
JobResult RunJob(const GeneratorJob& job, const JobEvents& events, const PublishingSource& publishing = nullptr);

// What the status line says for an event, in the language loaded whenever
// it is said (app/status_line.h); nothing for an event it does not show.
std::optional<StatusLine> StatusOf(const JobEvent& event);

// The question asked before a job writes into an existing job folder, and its caption.
std::string OverwriteQuestion(const std::string& jobFolder);
std::string OverwriteCaption();

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
