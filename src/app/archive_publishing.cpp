#include "app/archive_publishing.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "base/file_write.h"
#include "base/path.h"
#include "publish/preview_files.h"
#include "publish/viewer_site.h"

namespace kerfel {
namespace {

// The job's files are made by the writers of a job folder, in a private
// folder named as the job, and packed from there.
Status AddJobFiles(JobArchive& archive, const JobPublishing& publishing) {
    std::string privateFolder;
    Status s = MakePreviewFolder(privateFolder);
    if (!s) return Status::Output(privateFolder + ": " + s.message);
    const std::string folder = JoinPath(privateFolder, archive.Name());
    if (::mkdir(folder.c_str(), 0700) != 0) s = OutputError(folder, errno);
    if (s) s = PublishJobFiles(folder, publishing);
    if (s) s = archive.AddJobFiles(folder);
    std::error_code ec;
    std::filesystem::remove_all(privateFolder, ec);
    return s;
}

}  // namespace

Status FinishArchive(JobArchive& archive, const JobPublishing* publishing) {
    Status s = publishing ? AddJobFiles(archive, *publishing) : Status::Ok();
    if (s) s = archive.Commit();
    if (!s || !publishing || archive.ToStandardOutput()) return s;
    DescriptorValues values = publishing->values;
    values.music = !publishing->musicPath.empty();
    return WriteArchiveViewerSite(FolderOf(archive.Path()), values, archive.Name(), FileNameOf(archive.Path()));
}

}  // namespace kerfel
