#pragma once
// The end of a job written as one archive: its files (music, descriptor,
// viewer) made as they would lie in its job folder and added to the
// archive, which then takes its name; beside an archive file, the viewer
// that shows the job from it by range requests.
#include "app/job_runner.h"
#include "base/status.h"
#include "engine/job_archive.h"

namespace kerfel {

// With no publishing, the archive holds the tiles alone.
Status FinishArchive(JobArchive& archive, const JobPublishing* publishing);

}  // namespace kerfel
