#pragma once
// Writing whole files with every failure (missing rights, full disk)
// reported as a Status that names the file and the reason.
#include <cstddef>
#include <string>

#include "engine/status.h"

namespace kerfel {

// Creates or replaces the file in place.
Status WriteWholeFile(const std::string& path, const void* data, size_t size);

// Writes a temporary file beside `path` and renames it over `path`, so that
// readers see either the old file or the complete new one, never a part.
Status WriteFileAtomically(const std::string& path, const void* data, size_t size);

// Copies a file atomically (temporary name, then rename).
Status CopyFileAtomically(const std::string& from, const std::string& to);

// "path: reason" for the current errno.
Status OutputError(const std::string& path, int err);

}  // namespace kerfel
