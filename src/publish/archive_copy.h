#pragma once
// Export of a job made as one archive (NAME.szi): the archive is the job,
// packed already, so exporting it is a copy, which takes the chosen name only
// once complete.
#include <functional>
#include <string>

#include "base/status.h"

namespace kerfel {

// Whether `path` is such a job: a regular file that begins like a ZIP archive.
bool IsJobArchive(const std::string& path);

// Copies the archive `from` to `to`, asking `cancelled` (may be empty)
// between chunks; the same file is left as it is.
Status CopyJobArchive(const std::string& from, const std::string& to, const std::function<bool()>& cancelled);

}  // namespace kerfel
