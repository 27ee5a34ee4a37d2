#pragma once
// Writing whole files with every failure (missing rights, full disk)
// reported as a Status that names the file and the reason.
#include <cstddef>
#include <string>

#include "base/status.h"

namespace kerfel {

// Creates or replaces the file in place.
Status WriteWholeFile(const std::string& path, const void* data, size_t size);

// Writes a temporary file beside `path` and renames it over `path`, so that
// readers see either the old file or the complete new one, never a part.
Status WriteFileAtomically(const std::string& path, const void* data, size_t size);

// Creates an empty, private temporary file beside `finalPath`, named after
// it with a leading full stop, and returns its path in `tempPath`.
Status MakeHiddenTempFile(const std::string& finalPath, std::string& tempPath);

// Gives the finished temporary file the mode of a new file under the user's
// umask, flushes it to disk and renames it to `finalPath`, replacing any file
// there. The temporary file is removed when this fails.
Status CommitTempFile(const std::string& tempPath, const std::string& finalPath);

// write() until everything is written; false with errno set on failure.
bool WriteAll(int fd, const void* data, size_t size);

// Copies a regular file atomically (temporary name, then rename).
Status CopyFileAtomically(const std::string& from, const std::string& to);

// "path: reason" for the current errno.
Status OutputError(const std::string& path, int err);

}  // namespace kerfel
