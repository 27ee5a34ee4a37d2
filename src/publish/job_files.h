#pragma once
// The files a job publishes beside its tiles: the descriptor and the browser
// viewer, always written together so they never disagree.
#include <string>

#include "base/status.h"
#include "engine/descriptor.h"

namespace kerfel {

// Writes (or refreshes) "ImageKerfel.xml" and the browser viewer in the job
// folder; the viewer's title is the job folder's name.
Status WriteJobFiles(const std::string& jobFolder, const DescriptorValues& values);

}  // namespace kerfel
