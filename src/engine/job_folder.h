#pragma once
// A job's folder and name; where its tiles and descriptor files lie in it
// is its layout's to say (engine/layout.h).
#include <string>

namespace kerfel {

// The background music's copy in a job folder, as the descriptor names it.
inline constexpr const char* kMusicFileName = "bgmusic.mp3";
// A job written as one archive: its extension, and the output folder that
// sends it to standard output.
inline constexpr const char* kArchiveExtension = ".szi";
inline constexpr const char* kStandardOutputName = "-";

// The job's name: the source's file name without its extension.
std::string JobName(const std::string& sourcePath);
// Output folder + "/" + job name, without doubled separators.
std::string JobFolderFor(const std::string& outputFolder, const std::string& sourcePath);
// Where a job written as one archive goes: output folder + "/" + job name +
// ".szi", or standard output ("-") for the output folder "-".
std::string ArchivePathFor(const std::string& outputFolder, const std::string& sourcePath);
// What messages call a job's archive: its path, or "NAME.szi on standard output".
std::string ArchiveLabel(const std::string& archivePath, const std::string& jobName);

}  // namespace kerfel
