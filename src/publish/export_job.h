#pragma once
// Packing a job folder into one ZIP archive: what Export and
// `kerfel export` / `kerfel make --zip` share.
#include <functional>
#include <string>

#include "base/status.h"

namespace kerfel {

struct ExportRequest {
    std::string jobFolder;   // the folder packed; a job's archive (.szi) is copied as it is
    std::string archive;     // the archive written (replaced only by a complete one)
    std::string rootFolder;  // entry names are relative to it; default: the job folder's parent
    std::function<bool()> cancelled = nullptr;  // optional; true stops the export (Fault::Cancelled)
};

// Writes the archive under a temporary name and renames it when complete.
// Fails, leaving any existing archive untouched, when a file of the job
// cannot be read, the archive cannot be written, or the job folder does not
// lie inside the root folder.
// Whether an archive may be written at `archive`: nothing there, or a
// regular file (through a link or not) to replace. Errors name the path.
Status CheckArchivePath(const std::string& archive);

Status ExportJob(const ExportRequest& request);

// The job folder's parent: entry names then start with the job's own name.
std::string DefaultExportRoot(const std::string& jobFolder);

}  // namespace kerfel
