// `kerfel export JOB_FOLDER ARCHIVE [--root FOLDER] [--overwrite]`
#include <sys/stat.h>

#include <cstdio>

#include "cli/cli.h"
#include "cli/cli_spec.h"
#include "cli/interrupt_guard.h"
#include "publish/archive_copy.h"
#include "publish/export_job.h"

namespace kerfel {
namespace {

constexpr char kWho[] = "kerfel export";

}  // namespace

int RunExport(const std::vector<std::string>& args) {
    CLI::App app("", kWho);
    ExportOptions o;
    DescribeExport(app, o);
    if (int rc = ParseCommand(app, args); rc >= 0) return rc;
    ExportRequest request;
    request.jobFolder = o.jobFolder;
    request.archive = o.archive;
    request.rootFolder = o.root;
    const bool overwrite = o.overwrite;

    struct stat st {};
    const bool archive = IsJobArchive(request.jobFolder);
    if (archive && !request.rootFolder.empty())
        return UsageError(kWho, "--root names the entries of a job folder; a job's archive is copied as it is");
    if (!archive && (::stat(request.jobFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
        return ReportError(Status::Bad(request.jobFolder + ": no such job folder"), kWho);
    }
    if (!overwrite && ::lstat(request.archive.c_str(), &st) == 0) {
        return ReportError(Status::Output(request.archive + ": exists (use --overwrite to replace it)"), kWho);
    }
    InterruptGuard interrupts;
    request.cancelled = InterruptGuard::Interrupted;
    Status status = ExportJob(request);
    if (status.fault == Fault::Cancelled) status.message = "interrupted before " + request.archive + " was written";
    return status ? 0 : ReportError(status, kWho);
}

}  // namespace kerfel
