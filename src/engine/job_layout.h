#pragma once
// Where a job's files lie: every name the engine and the descriptor give
// them, defined here once.
#include <string>

namespace kerfel {

inline constexpr const char* kImagesFolder = "Images";
inline constexpr const char* kDescriptorFileName = "ImageKerfel.xml";
// The background music's copy in a job folder, as the descriptor names it.
inline constexpr const char* kMusicFileName = "bgmusic.mp3";

// The job's name: the source's file name without its extension.
std::string JobName(const std::string& sourcePath);
// Output folder + "/" + job name, without doubled separators.
std::string JobFolderFor(const std::string& outputFolder, const std::string& sourcePath);
// "level-column-row.jpg"
std::string TileFileName(int level, int column, int row);
// The job folder's "Images" folder.
std::string ImagesFolderOf(const std::string& jobFolder);

}  // namespace kerfel
