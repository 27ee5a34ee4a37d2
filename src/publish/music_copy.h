#pragma once
// The background music of a job: the chosen file copied into the job folder
// as "bgmusic.mp3" (what the descriptor's soundURL names), or no copy at all
// when no music is set. Preview, Export and `kerfel make --music` share it.
#include <string>

#include "base/status.h"
#include "engine/job_folder.h"

namespace kerfel {

// The copy's path in a job folder.
std::string MusicCopyPath(const std::string& jobFolder);

// Copies `musicPath` over the job's copy, or removes the copy when
// `musicPath` is empty (a missing copy is no error). The copy is complete or
// absent, never partial; the music file itself is never changed, also when
// it is the job's own copy.
Status RefreshMusicCopy(const std::string& musicPath, const std::string& jobFolder);

}  // namespace kerfel
