#pragma once
// Reading whole files without exceptions or waiting: a folder opens and then
// fails its first read, a named pipe waits for a writer, a failing disk fails
// mid-way; each reads as "cannot read".
#include <cstddef>
#include <limits>
#include <optional>
#include <string>

namespace kerfel {

// The file's bytes, or nullopt when it is not a regular file (a folder, a
// named pipe, a device), cannot be opened or a read fails, with errno
// telling why (EISDIR for a folder, EINVAL for other non-files).
// Stops once more than `limit` bytes are in, so a caller that bounds what it
// accepts can tell a larger file without reading all of it.
std::optional<std::string> ReadWholeFile(const std::string& path,
                                         std::size_t limit = std::numeric_limits<std::size_t>::max());

}  // namespace kerfel
