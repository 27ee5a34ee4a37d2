#pragma once
// The browser viewer of a job: "index.html" (and one folder of assets)
// beside "ImageKerfel.xml" and "Images", with relative paths only.
#include <string>

#include "engine/descriptor.h"
#include "engine/status.h"

namespace kerfel {

// Writes or refreshes the viewer in the job folder; `title` is the image's name.
// Called whenever the descriptor is written.
Status WriteViewerSite(const std::string& jobFolder, const DescriptorValues& values, const std::string& title);

}  // namespace kerfel
