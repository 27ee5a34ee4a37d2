#include "publish/job_files.h"

#include <unistd.h>

#include <cerrno>

#include "base/file_write.h"
#include "base/path.h"
#include "engine/tile_paths.h"
#include "publish/viewer_site.h"

namespace kerfel {
namespace {

std::string JobNameOf(const std::string& jobFolder) { return FileNameOf(TrimTrailingSlashes(jobFolder)); }

}  // namespace

Status WriteDescriptorFiles(const std::string& jobFolder, const DescriptorValues& values) {
    DescriptorValues named = values;
    named.jobName = JobNameOf(jobFolder);
    for (const DescriptorFile& file : values.layout->files) {
        const std::string path = JoinPath(jobFolder, FillFields(file.name, {{"name", named.jobName}}));
        const std::string text = file.text(named);
        if (Status s = ReplaceFile(path, text.data(), text.size()); !s) return s;
    }
    return Status::Ok();
}

Status WriteJobFiles(const std::string& jobFolder, const DescriptorValues& values) {
    if (values.layout->browserViewer)
        if (Status s = WriteViewerSite(jobFolder, values, JobNameOf(jobFolder)); !s) return s;
    return WriteDescriptorFiles(jobFolder, values);
}

Status RemoveViewerPage(const std::string& jobFolder) {
    const std::string page = JoinPath(jobFolder, kViewerPageName);
    if (::unlink(page.c_str()) == 0 || errno == ENOENT) return Status::Ok();
    return OutputError(page, errno);
}

}  // namespace kerfel
