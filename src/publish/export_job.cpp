#include "publish/export_job.h"

namespace kerfel {

Status ExportJob(const ExportRequest& request) { return Status::Output(request.archive + ": export is not available yet"); }

}  // namespace kerfel
