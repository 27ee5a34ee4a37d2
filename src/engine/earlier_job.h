#pragma once
// What an earlier job left in a job folder that a new job writes into. Its
// descriptor files go before the new job's first tile, so that a folder
// holding a descriptor always holds every tile of that one picture; its
// tiles go too, or a smaller picture's job would keep a larger one's upper
// levels, which the viewer and Export would take for its own.
#include <string>

#include "base/status.h"

namespace kerfel {

// Removes the descriptor files a job named `jobName` of any layout writes.
Status RemoveEarlierDescriptors(const std::string& jobFolder, const std::string& jobName);

// Removes every file of `jobFolder` lying where a job named `jobName` of
// any layout puts a tile, and the tile folders that leaves empty; nothing
// else is touched. Errors name the file.
Status RemoveEarlierTiles(const std::string& jobFolder, const std::string& jobName);

}  // namespace kerfel
