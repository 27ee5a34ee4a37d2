#pragma once
#include <string>

namespace kerfel {

// The archive name Export proposes for a source image: its file name without
// the folder and without the last extension, then ".zip" ("my.photo.jpg"
// gives "my.photo.zip").
std::string ProposedArchiveName(const std::string& sourcePath);

}  // namespace kerfel
