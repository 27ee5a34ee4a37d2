#include "app/dropped_files.h"

#include <cctype>

#include "base/path.h"
#include "engine/source_image.h"

namespace kerfel {

bool IsMusicFileName(const std::string& path) {
    const std::string name = FileNameOf(path);
    const std::string ext = ".mp3";
    if (name.size() <= ext.size()) return false;
    for (size_t i = 0; i < ext.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - ext.size() + i])) != ext[i]) return false;
    return true;
}

DropChoice DecideDrop(DropZone zone, const std::vector<std::string>& paths) {
    if (paths.size() != 1 || paths.front().empty()) return {};
    const std::string& path = paths.front();
    if (IsFolder(path))
        return zone == DropZone::OutputFolderField ? DropChoice{DropAction::ChooseOutputFolder, path} : DropChoice{};
    if (zone == DropZone::MusicField) {
        if (IsMusicFileName(path) && IsReadableFile(path)) return {DropAction::ChooseMusic, path};
        // A picture aimed at the window that lands on the music field is
        // still the picture; other files there were meant as music.
        SourceInfo info;
        if (!InspectSource(path, info)) return {};
    }
    // Any other file is taken as Browse File takes a chosen one, which says
    // why a file that is no picture cannot be used.
    return {DropAction::ChooseSource, path};
}

}  // namespace kerfel
