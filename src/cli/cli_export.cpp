// `kerfel export JOB_FOLDER ARCHIVE [--root FOLDER] [--overwrite]`
#include <sys/stat.h>

#include <cstdio>

#include "cli/cli.h"
#include "cli/interrupt_guard.h"
#include "publish/export_job.h"

namespace kerfel {
namespace {

constexpr char kWho[] = "kerfel export";

int Usage(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", kWho, OneLine(why).c_str());
    std::fputs(UsageText(), stderr);
    return 1;
}

}  // namespace

int RunExport(const std::vector<std::string>& args) {
    ExportRequest request;
    bool overwrite = false;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--overwrite") overwrite = true;
        else if (args[i] == "--root") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return Usage("--root needs a folder");
            request.rootFolder = args[++i];
        } else if (args[i].rfind("--", 0) == 0) return Usage("unknown option " + args[i]);
        else positional.push_back(args[i]);
    }
    if (positional.size() != 2) return Usage("expects a job folder and an archive");
    request.jobFolder = positional[0];
    request.archive = positional[1];

    struct stat st {};
    if (::stat(request.jobFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return ReportError(Status::Bad(request.jobFolder + ": no such job folder"), kWho);
    }
    if (!overwrite && ::lstat(request.archive.c_str(), &st) == 0) {
        return ReportError(Status::Output(request.archive + ": exists (use --overwrite to replace it)"), kWho);
    }
    InterruptGuard interrupts;
    request.cancelled = InterruptGuard::Interrupted;
    Status status = ExportJob(request);
    return status ? 0 : ReportError(status, kWho);
}

}  // namespace kerfel
