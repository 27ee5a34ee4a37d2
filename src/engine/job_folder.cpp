#include "engine/job_folder.h"

#include "base/path.h"

namespace kerfel {

std::string JobName(const std::string& sourcePath) {
    const std::string file = FileNameOf(sourcePath);
    const size_t dot = file.find_last_of('.');
    // A name that is all extension (".jpg") keeps it, so the job never
    // becomes the output folder itself.
    if (dot == std::string::npos || dot == 0) return file;
    return file.substr(0, dot);
}

std::string JobFolderFor(const std::string& outputFolder, const std::string& sourcePath) {
    return JoinPath(outputFolder, JobName(sourcePath));
}

std::string ArchivePathFor(const std::string& outputFolder, const std::string& sourcePath) {
    if (outputFolder == kStandardOutputName) return outputFolder;
    return JoinPath(outputFolder, JobName(sourcePath) + kArchiveExtension);
}

std::string ArchiveLabel(const std::string& archivePath, const std::string& jobName) {
    if (archivePath != kStandardOutputName) return archivePath;
    return jobName + kArchiveExtension + " on standard output";
}

}  // namespace kerfel
