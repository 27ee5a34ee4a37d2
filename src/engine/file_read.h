#pragma once
// Reading whole files without exceptions: a folder opens and then fails its
// first read, and a failing disk fails mid-way; both read as "cannot read".
#include <cstddef>
#include <limits>
#include <optional>
#include <string>

namespace kerfel {

// The file's bytes, or nullopt when it cannot be opened or a read fails.
// Stops once more than `limit` bytes are in, so a caller that bounds what it
// accepts can tell a larger file without reading all of it.
std::optional<std::string> ReadWholeFile(const std::string& path,
                                         std::size_t limit = std::numeric_limits<std::size_t>::max());

}  // namespace kerfel
