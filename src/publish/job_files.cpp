#include "publish/job_files.h"

#include "base/path.h"
#include "engine/job_layout.h"
#include "publish/viewer_site.h"

namespace kerfel {

Status WriteJobFiles(const std::string& jobFolder, const DescriptorValues& values) {
    Status s = WriteDescriptor(JoinPath(jobFolder, kDescriptorFileName), values);
    if (!s) return s;
    return WriteViewerSite(jobFolder, values, FileNameOf(TrimTrailingSlashes(jobFolder)));
}

}  // namespace kerfel
