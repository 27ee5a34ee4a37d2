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

// The viewer beside a job's archive (a job written as one file): the page
// and its assets in `folder`, the archive's own, showing the job from the
// archive `archiveName` there, whose entries it reads in parts over HTTP
// (range requests). `title` is the job's name, the folder its files lie in
// within the archive.
Status WriteArchiveViewerSite(const std::string& folder, const DescriptorValues& values, const std::string& title,
                              const std::string& archiveName);

// The page: the template with the title (HTML-escaped) and the job's values
// filled in, with what the viewer needs of the layout to find the tiles (and
// the archive that holds them, if one does), so the page needs no read of
// the descriptor (refused on file://).
std::string ViewerPageHtml(const std::string& pageTemplate, const DescriptorValues& values, const std::string& title,
                           const std::string& archive = "");

}  // namespace kerfel
