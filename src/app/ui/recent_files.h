#pragma once
// The desktop's list of recently used files (the file chooser's "Recent",
// the desktop's own lists), kept by the toolkit in the user's data folder.
#include <string>

namespace kerfel {

// Adds the file at the absolute `path`; the toolkit writes the list a moment
// later, from the user-interface thread's loop. Harmless where no toolkit
// keeps such a list.
void AddToRecentFiles(const std::string& path);

}  // namespace kerfel
