#pragma once
// Writing a file so that its name only ever shows a complete file: build it
// under a hidden temporary name in the same folder, then rename it.
#include <string>

#include "engine/status.h"

namespace kerfel {

// Creates an empty, private temporary file beside `finalPath`, named after
// it with a leading full stop, and returns its path in `tempPath`.
Status MakeHiddenTempFile(const std::string& finalPath, std::string& tempPath);

// Gives the finished temporary file the usual permissions of a new file,
// flushes it to disk and renames it to `finalPath`, replacing any file there.
// The temporary file is removed when this fails.
Status CommitTempFile(const std::string& tempPath, const std::string& finalPath);

}  // namespace kerfel
