#pragma once
// Packing a job folder into one ZIP archive: what Export and
// `kerfel export` / `kerfel make --zip` share.
#include <functional>
#include <string>

#include "engine/status.h"

namespace kerfel {

struct ExportRequest {
    std::string jobFolder;   // the folder packed
    std::string archive;     // the archive written (replaced only by a complete one)
    std::string rootFolder;  // entry names are relative to it; default: the job folder's parent
};

// Writes the archive under a temporary name and renames it when complete.
Status ExportJob(const ExportRequest& request);

}  // namespace kerfel
