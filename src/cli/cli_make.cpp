// `kerfel make`: what Make and the generation do, without a window.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/interrupt_guard.h"
#include "app/job_runner.h"
#include "engine/source_image.h"
#include "publish/export_job.h"

namespace kerfel {
namespace {

struct MakeOptions {
    std::string image, output, music, zip;
    int levels = 1;
    bool smallMap = false, navigationScroll = false, zoomSlider = false, clickToZoom = false;
    bool overwrite = false, quiet = false;
};

int Usage(const std::string& what) {
    std::fprintf(stderr, "kerfel make: %s\n%s", OneLine(what).c_str(), UsageText());
    return 1;
}

int Fail(const Status& s) { return ReportError(s); }

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Returns 0 when the arguments parse, else the exit status.
int Parse(const std::vector<std::string>& args, MakeOptions& o) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        if (a == "--small-map") o.smallMap = true;
        else if (a == "--navigation-scroll") o.navigationScroll = true;
        else if (a == "--zoom-slider") o.zoomSlider = true;
        else if (a == "--click-to-zoom") o.clickToZoom = true;
        else if (a == "--overwrite") o.overwrite = true;
        else if (a == "--quiet") o.quiet = true;
        else if (a == "--music") {
            if (!value(o.music)) return Usage("--music needs a file");
        } else if (a == "--zip") {
            if (!value(o.zip)) return Usage("--zip needs an archive name");
        } else if (a == "--levels") {
            std::string k;
            if (!value(k) || k.empty() || k.size() > 9 || k.find_first_not_of("0123456789") != std::string::npos)
                return Usage("--levels needs a whole number");
            o.levels = std::stoi(k);
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage("unknown option '" + a + "'");
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return Usage("needs an image and an output folder");
    o.image = positional[0];
    o.output = positional[1];
    return 0;
}

// A progress bar on the terminal, redrawn at most ten times a second.
class TerminalBar {
public:
    explicit TerminalBar(bool on) : m_on(on) {}
    void Update(int done, int total) {
        if (!m_on || total <= 0) return;
        auto now = std::chrono::steady_clock::now();
        if (done < total && now - m_last < std::chrono::milliseconds(100)) return;
        m_last = now;
        const int width = 30, filled = static_cast<int>(1LL * done * width / total);
        std::fprintf(stderr, "\r[%s%s] %3d%%  %d/%d tiles", std::string(filled, '#').c_str(),
                     std::string(width - filled, '.').c_str(), static_cast<int>(100LL * done / total), done, total);
        std::fflush(stderr);
        m_drawn = true;
    }
    void End() {
        if (m_drawn) std::fputc('\n', stderr);
        m_drawn = false;
    }

private:
    bool m_on;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_last{};
};

}  // namespace

int RunMake(const std::vector<std::string>& args) {
    MakeOptions o;
    if (int rc = Parse(args, o)) return rc;

    SourceInfo info;
    Status s = InspectSource(o.image, info);
    if (!s) return Fail(s);
    if (!IsFolder(o.output)) return Fail(Status::Output(o.output + ": no such folder"));
    GeneratorJob job{o.image, o.output, TilePyramid::Build(info.width, info.height)};
    if (!(s = CheckPyramid(job.pyramid))) return Fail(Status::Bad(o.image + ": " + s.message));
    if (!OffersLevels(job.pyramid, o.levels)) {
        const auto& list = job.pyramid.m_arrListEntries;
        return Fail(Status::Bad(o.image + ": --levels " + std::to_string(o.levels) + " is not offered " +
                                (list.empty() ? std::string("(both sides are below 250 pixels, so none is)")
                                              : "(choose 1 to " + std::to_string(list.back()) + ")")));
    }
    // The music is copied only after the last tile: a file that cannot be
    // read must stop the job before any tile is written, not after.
    if (!o.music.empty() && !IsReadableFile(o.music))
        return Fail(Status::Bad(o.music + ": " + (Exists(o.music) ? "not a readable file" : "no such music file")));
    if (!o.zip.empty() && Exists(o.zip) && !o.overwrite)
        return Fail(Status::Output(o.zip + ": the archive exists already (use --overwrite to replace it)"));

    TerminalBar bar(!o.quiet && ::isatty(STDERR_FILENO));
    InterruptGuard interrupts;
    JobRunnerHooks hooks;
    hooks.progress = [&](int done, int total) { bar.Update(done, total); };
    hooks.cancelRequested = InterruptGuard::Interrupted;
    hooks.askYesNo = [&](const std::string&, const std::string&) { return o.overwrite; };
    hooks.publishing = [&] {
        JobPublishing p{DescribePyramid(job.pyramid, o.levels), o.music};
        p.values.showNav = o.smallMap;
        p.values.showPanButtons = o.navigationScroll;
        p.values.showSlider = o.zoomSlider;
        p.values.clickToZoom = o.clickToZoom;
        return std::optional<JobPublishing>(p);
    };
    JobResult r = RunJob(job, hooks);
    bar.End();
    switch (r.end) {
        case JobEnd::Declined:
            return Fail(Status::Output(r.jobFolder + ": the job folder exists already (use --overwrite to write into it)"));
        case JobEnd::Cancelled:
            std::fprintf(stderr, "kerfel: interrupted after %d of %d tiles; %s has no descriptor\n", r.tilesWritten,
                         job.pyramid.m_nTotalTiles, OneLine(r.jobFolder).c_str());
            return 130;
        case JobEnd::Failed: return Fail(r.status);
        case JobEnd::Finished: break;
    }
    if (!o.zip.empty()) {
        // Ctrl-C still stops the job while it is packed; the old archive stays.
        if (!(s = ExportJob({r.jobFolder, o.zip, "", InterruptGuard::Interrupted}))) return Fail(s);
    }
    if (!o.quiet)
        std::printf("%s: %d tiles in %d levels, view %s\n", r.jobFolder.c_str(), r.tilesWritten,
                    job.pyramid.LevelCount(),
                    SizeText(job.pyramid.DisplayWidth(o.levels), job.pyramid.DisplayHeight(o.levels)).c_str());
    return 0;
}

}  // namespace kerfel
