#include "publish/export_job.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "base/path.h"
#include "publish/archive_copy.h"
#include "publish/zipper.h"

namespace kerfel {

namespace {
// Relative paths are taken against the current folder, as a shell user means them.
std::string Absolute(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path, ec);
    return TidyPath((ec ? std::filesystem::path(path) : p).string());
}

// Whether the file at `path` begins like a zip archive.
bool LooksLikeArchive(const std::string& path) {
    char magic[4] = {};
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    size_t n = std::fread(magic, 1, sizeof magic, f);
    std::fclose(f);
    return n == 4 && magic[0] == 'P' && magic[1] == 'K';
}

// An archive saved inside the job folder is fine, but replacing one of the
// job's own files (a tile, the descriptor, the viewer) with it would destroy
// what is being published.
bool ReplacesAFileOfTheJob(const std::string& job, const std::string& archive) {
    std::error_code ec;
    const auto canonical = std::filesystem::weakly_canonical(archive, ec);
    if (ec || !std::filesystem::is_regular_file(canonical, ec)) return false;
    const std::string a = canonical.string();
    const std::string j = std::filesystem::weakly_canonical(job, ec).string() + "/";
    return a.compare(0, j.size(), j) == 0 && !LooksLikeArchive(a);
}
// Only an archive file is ever replaced: a device, a pipe or a folder at
// the archive's path is the system's or the user's, and a file written over
// it would destroy it (a link is replaced as a link when it leads to a file).
bool ReplaceablePath(const std::string& archive) {
    struct stat st {};
    if (::lstat(archive.c_str(), &st) != 0) return true;  // nothing there yet, or nothing we may know of
    if (S_ISLNK(st.st_mode) && ::stat(archive.c_str(), &st) != 0) return true;  // a dangling link
    return S_ISREG(st.st_mode);
}
}  // namespace

Status CheckArchivePath(const std::string& archive) {
    if (ReplaceablePath(archive)) return Status::Ok();
    return Status::Output(archive + ": not a regular file; only an archive file is replaced");
}

std::string DefaultExportRoot(const std::string& jobFolder) {
    return std::filesystem::path(Absolute(jobFolder)).parent_path().string();
}

Status ExportJob(const ExportRequest& request) {
    if (IsJobArchive(request.jobFolder)) {
        if (Status s = CheckArchivePath(request.archive); !s) return s;
        return CopyJobArchive(request.jobFolder, request.archive, request.cancelled);
    }
    struct stat st {};
    if (request.jobFolder.empty() || ::stat(request.jobFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Status::Bad(request.jobFolder + ": no such job folder");
    const std::string job = Absolute(request.jobFolder);
    const std::string root = request.rootFolder.empty() ? DefaultExportRoot(job) : Absolute(request.rootFolder);

    if (Status s = CheckArchivePath(request.archive); !s) return s;
    if (ReplacesAFileOfTheJob(job, request.archive))
        return Status::Output(request.archive + ": is a file of the job itself; choose another archive name");

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
