#pragma once
// "Lorvak.html": the page that starts the viewer movie on a job folder. It is
// written into the private preview folder only, never into a job folder.
#include <string>

#include "base/status.h"

namespace kerfel {

struct ViewerPageParams {
    std::string pagePath;   // the file written
    std::string moviePath;  // absolute path of the movie beside the tool
    std::string imagePath;  // the job folder, no trailing "/"
    unsigned width = 0;     // the display size of the chosen view level
    unsigned height = 0;
};

// The page's bytes: 21 lines with CR LF line ends, no line end after the last.
// Paths go in unchanged (UTF-8) except '"' and '<', which would end the
// attribute or open a tag and so are written as character references.
std::string ViewerPageText(const ViewerPageParams& params);

// Creates or replaces the page file.
Status WriteViewerPage(const ViewerPageParams& params);

}  // namespace kerfel
