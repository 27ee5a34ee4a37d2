// `kerfel make`: what Make and the generation do, without a window.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_spec.h"
#include "cli/interrupt_guard.h"
#include "app/job_choices.h"
#include "app/job_runner.h"
#include "base/path.h"
#include "engine/job_folder.h"
#include "engine/source_image.h"
#include "publish/export_job.h"

namespace kerfel {
namespace {

int Fail(const Status& s) { return ReportError(s); }

JobChoices ChoicesOf(const MakeOptions& o, TilePyramid pyramid) {
    JobChoices c;
    c.sourcePath = o.image;
    c.pyramid = std::move(pyramid);
    c.outputFolder = o.output;
    c.levels = o.levels;
    c.options = {o.smallMap, o.navigationScroll, o.zoomSlider, o.clickToZoom};
    c.musicPath = o.music;
    c.serviceId = o.id;
    return c;
}

// A job refused before its first tile, in one line naming the file.
Status Refusal(const JobCheck& check, const JobChoices& c) {
    switch (check.fault) {
        case JobFault::NoOutputFolder: return Status::Output(c.outputFolder + ": no such folder");
        case JobFault::SourceUnreadable: return Status::Bad(c.sourcePath + ": " + check.status.message);
        case JobFault::SourceChanged: return Status::Bad(c.sourcePath + ": changed while it was read");
        case JobFault::LevelsNotOffered: {
            const auto& list = c.pyramid.m_arrListEntries;
            return Status::Bad(c.sourcePath + ": --levels " + std::to_string(c.levels) + " is not offered " +
                               (list.empty() ? std::string("(both sides are below 250 pixels, so none is)")
                                             : "(choose 1 to " + std::to_string(list.back()) + ")"));
        }
        case JobFault::MusicUnreadable:
            return Status::Bad(c.musicPath + ": " +
                               (PathExists(c.musicPath) ? "not a readable file" : "no such music file"));
        case JobFault::None: break;
    }
    return Status::Ok();
}

// Why the options of a job written as one archive cannot go together, or empty.
std::string ArchiveRefusal(const MakeOptions& o) {
    if (!o.szi) return {};
    if (!o.zip.empty()) return "--zip packs a job folder; the archive --szi writes is the whole job already";
    if (o.output == kStandardOutputName && ::isatty(STDOUT_FILENO))
        return "standard output is a terminal; send the archive to a file or a pipe";
    return {};
}

// Where an interrupted job leaves things, in a few words.
std::string LeftBehind(const MakeOptions& o, const JobResult& r) {
    if (!o.szi && !PathExists(r.jobFolder)) return "the empty job folder " + OneLine(r.jobFolder) + " was removed";
    if (!o.szi) return OneLine(r.jobFolder) + " has no descriptor";
    if (o.output == kStandardOutputName) return ArchiveLabel(r.jobFolder, JobName(o.image)) + " is incomplete";
    return "no archive was written at " + OneLine(r.jobFolder);
}

// Returns -1 when the arguments parse, else the exit status.
int Parse(const std::vector<std::string>& args, MakeOptions& o) {
    CLI::App app("", "kerfel make");
    DescribeMake(app, o);
    return ParseCommand(app, args);
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
    if (int rc = Parse(args, o); rc >= 0) return rc;
    const bool toOutput = o.output == kStandardOutputName;
    o.szi = o.szi || toOutput;
    std::string refusal = ArchiveRefusal(o);
    if (!refusal.empty()) return UsageError("kerfel make", refusal);
    const Layout& layout = ChosenLayout(o.layout, o.tileSize, o.overlap, refusal);
    if (refusal.empty()) refusal = QualityRefusal(o.quality);
    if (refusal.empty() && !o.id.empty() && !layout.namesItsAddress)
        refusal = std::string("--id is not taken by the layout ") + layout.name + ": its files name no address";
    if (!refusal.empty()) return UsageError("kerfel make", refusal);

    SourceInfo info;
    Status s = InspectSource(o.image, info);
    if (!s) return Fail(s);
    JobChoices choices = ChoicesOf(o, TilePyramid::Build(layout, info.width, info.height));
    choices.oneArchive = o.szi;
    if (JobCheck check = CheckBeforeJob(choices); !check) return Fail(Refusal(check, choices));
    GeneratorJob job{o.image, o.output, choices.pyramid};
    job.threads = o.threads;
    job.memoryLimit = o.memoryLimit;
    job.quality = o.quality;
    job.acceptDamaged = o.acceptDamaged;
    job.oneArchive = o.szi;
    // A reader that goes away makes the next write fail, naming the archive,
    // instead of ending the process without a word.
    if (toOutput) std::signal(SIGPIPE, SIG_IGN);
    if (!o.zip.empty() && PathExists(o.zip) && !o.overwrite)
        return Fail(Status::Output(o.zip + ": the archive exists already (use --overwrite to replace it)"));
    if (!o.zip.empty())
        if (Status refused = CheckArchivePath(o.zip); !refused) return Fail(refused);

    TerminalBar bar(!o.quiet && ::isatty(STDERR_FILENO));
    InterruptGuard interrupts;
    JobEvents events;
    events.tell = [&](const JobEvent& e) {
        if (e.kind == JobEvent::Kind::TileWritten) bar.Update(e.done, e.total);
    };
    events.stopRequested = InterruptGuard::Interrupted;
    events.mayWriteInto = [&](const std::string&) { return o.overwrite; };
    auto publishing = [&] { return std::optional<JobPublishing>(PublishingOf(choices)); };
    JobResult r = RunJob(job, events, publishing);
    bar.End();
    for (const std::string& note : r.notes) std::fprintf(stderr, "kerfel: warning: %s\n", OneLine(note).c_str());
    switch (r.end) {
        case JobEnd::Declined:
            return Fail(Status::Output(r.jobFolder + (o.szi ? ": the archive exists already (use --overwrite to replace it)"
                                                            : ": the job folder exists already (use --overwrite to write into it)")));
        case JobEnd::Cancelled:
            std::fprintf(stderr, "kerfel: interrupted after %d of %lld tiles; %s\n", r.tilesWritten,
                         job.pyramid.m_nTotalTiles, LeftBehind(o, r).c_str());
            return 130;
        case JobEnd::Failed: return Fail(r.status);
        case JobEnd::Finished: break;
    }
    if (!o.zip.empty()) {
        // Ctrl-C still stops the job while it is packed; the old archive stays.
        if (!(s = ExportJob({r.jobFolder, o.zip, "", InterruptGuard::Interrupted}))) return Fail(s);
    }
    // With the archive on standard output nothing else may go there.
    if (!o.quiet && !toOutput)
        std::printf("%s: %d tiles in %d levels, view %s\n", r.jobFolder.c_str(), r.tilesWritten,
                    job.pyramid.LevelCount(),
                    SizeText(job.pyramid.DisplayWidth(o.levels), job.pyramid.DisplayHeight(o.levels)).c_str());
    return 0;
}

}  // namespace kerfel
