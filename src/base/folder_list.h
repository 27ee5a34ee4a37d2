#pragma once
// The names in a folder, read with the system's own calls. The standard
// library's folder iterators end the process when memory runs out while
// they read; here the failure (std::bad_alloc) reaches whoever can tell it.
#include <string>
#include <vector>

namespace kerfel {

// Every name in `folder` but "." and "..", in the order the system gives
// them; false, with errno set, when the folder cannot be read.
bool ListFolder(const std::string& folder, std::vector<std::string>& names);

}  // namespace kerfel
