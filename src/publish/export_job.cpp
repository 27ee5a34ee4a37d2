#include "publish/export_job.h"

#include <sys/stat.h>

#include <filesystem>

#include "publish/zipper.h"

namespace kerfel {

namespace {
// Relative paths are taken against the current folder, as a shell user means them.
std::string Absolute(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path, ec);
    std::string s = (ec ? std::filesystem::path(path) : p).lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}
}  // namespace

std::string DefaultExportRoot(const std::string& jobFolder) {
    return std::filesystem::path(Absolute(jobFolder)).parent_path().string();
}

Status ExportJob(const ExportRequest& request) {
    struct stat st {};
    if (request.jobFolder.empty() || ::stat(request.jobFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Status::Bad(request.jobFolder + ": no such job folder");
    const std::string job = Absolute(request.jobFolder);
    const std::string root = request.rootFolder.empty() ? DefaultExportRoot(job) : Absolute(request.rootFolder);

    CZipper zipper;
    zipper.SetCancelCheck(request.cancelled);
    if (!zipper.OpenZip(request.archive, root)) return zipper.LastError();
    // A job folder outside the root would give an archive with no entries:
    // refused instead of reported as done.
    if (!zipper.AddFolderToZip(job) || !zipper.LastError().ok()) {
        Status why = zipper.LastError().ok()
                         ? Status::Bad(job + ": not inside the root folder " + root)
                         : zipper.LastError();
        zipper.AbandonZip();
        return why;
    }
    if (!zipper.CloseZip()) return zipper.LastError();
    return Status::Ok();
}

}  // namespace kerfel
