#pragma once
// What files dropped on the main window choose, decided apart from the
// window: a picture dropped anywhere is the source, as Browse File would
// take it; a folder dropped on the output folder's field is the output
// folder; an MP3 file dropped on the music field is the music. Anything
// else is refused.
#include <string>
#include <vector>

namespace kerfel {

// Where on the window the files were dropped.
enum class DropZone { Window, OutputFolderField, MusicField };

enum class DropAction { ChooseSource, ChooseOutputFolder, ChooseMusic, Refuse };

struct DropChoice {
    DropAction action = DropAction::Refuse;
    std::string path;  // what is chosen; empty when refused
};

// One item at a time: several are refused, as the choosers take one.
DropChoice DecideDrop(DropZone zone, const std::vector<std::string>& paths);

// Whether the name is that of a file the music chooser offers (*.mp3).
bool IsMusicFileName(const std::string& path);

}  // namespace kerfel
