#pragma once
#include <string>

namespace kerfel {

// The folder that holds "LanguageFiles/", "help/", "pictures/" and the viewer:
// beside the executable in the build tree, the installed data folder otherwise.
std::string FindAppFolder();

}  // namespace kerfel
