#pragma once
// The browser viewer of a job: "index.html" (and one folder of assets)
// beside "ImageKerfel.xml" and "Images", with relative paths only.
#include <string>

#include "engine/descriptor.h"
#include "base/status.h"

namespace kerfel {

inline constexpr const char* kViewerPageName = "index.html";
inline constexpr const char* kViewerAssetsFolder = "viewer";

// Writes or refreshes the viewer in the job folder; `title` is the job's name
// (as its tile paths may hold it).
// Called whenever the descriptor is written.
Status WriteViewerSite(const std::string& jobFolder, const DescriptorValues& values, const std::string& title);

// The same with the viewer's files taken from `viewerFolder` (the page template
// "page.html", the script, the style and the zoom library with its images)
// instead of the application folder's "viewer".
Status WriteViewerSiteFrom(const std::string& viewerFolder, const std::string& jobFolder,
                           const DescriptorValues& values, const std::string& title);

// The page: the template with the title (HTML-escaped) and the job's values
// filled in, with what the viewer needs of the layout to find the tiles, so
// the page needs no read of the descriptor (refused on file://).
std::string ViewerPageHtml(const std::string& pageTemplate, const DescriptorValues& values,
                           const std::string& title);

}  // namespace kerfel
