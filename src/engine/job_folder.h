#pragma once
// A job's folder and name; where its tiles and descriptor files lie in it
// is its layout's to say (engine/layout.h).
#include <string>

namespace kerfel {

// The background music's copy in a job folder, as the descriptor names it.
inline constexpr const char* kMusicFileName = "bgmusic.mp3";

// The job's name: the source's file name without its extension.
std::string JobName(const std::string& sourcePath);
// Output folder + "/" + job name, without doubled separators.
std::string JobFolderFor(const std::string& outputFolder, const std::string& sourcePath);

}  // namespace kerfel
