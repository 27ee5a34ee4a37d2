#pragma once
// The files a job publishes beside its tiles: the descriptor files its
// layout lists and the browser viewer, always written together so they
// never disagree.
#include <string>

#include "base/status.h"
#include "engine/descriptor.h"

namespace kerfel {

// Writes (or refreshes) each descriptor file of the values' layout in the
// job folder, replacing it whole.
Status WriteDescriptorFiles(const std::string& jobFolder, const DescriptorValues& values);

// Those and, where the layout has one, the browser viewer; the job's name
// (and the viewer's title) is the job folder's name. The descriptor files
// come last: a job whose viewer could not be written has none.
Status WriteJobFiles(const std::string& jobFolder, const DescriptorValues& values);

// Removes the viewer's page, which holds a job's values as its descriptor
// does, from a job folder a new job writes into.
Status RemoveViewerPage(const std::string& jobFolder);

}  // namespace kerfel
