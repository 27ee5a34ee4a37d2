#include "app/job_runner.h"

#include <new>

#include "app/archive_publishing.h"
#include "base/path.h"
#include "engine/source_image.h"
#include "i18n/format_text.h"
#include "i18n/language_table.h"
#include "publish/job_files.h"
#include "publish/music_copy.h"

namespace kerfel {
namespace {

std::string Text(const char* key) { return GetLanguageText(key); }

JobResult Cancelled(JobResult r, const JobEvents& events) {
    JobEvent cancelled;
    cancelled.kind = JobEvent::Kind::Cancelled;
    events.Tell(cancelled);
    r.end = JobEnd::Cancelled;
    r.status = Status::Cancel();
    return r;
}

// The job as it was, or failed for `s`.
JobResult Failing(JobResult r, Status s) {
    if (!s) {
        r.end = JobEnd::Failed;
        r.status = std::move(s);
    }
    return r;
}

}  // namespace

std::optional<StatusLine> StatusOf(const JobEvent& e) {
    using Kind = JobEvent::Kind;
    switch (e.kind) {
        case Kind::Started: return StatusLine::KeyThenPath("KERFELDIALOG.GENERATETAILS.STATICTEXT_GMF", e.tile);
        case Kind::TileStarted: return StatusLine::Format("KERFELDIALOG.GENERATETAILS.STATICTEXT_GMFLEVEL", e.tile, e.level);
        case Kind::TileWritten: return std::nullopt;
        case Kind::Publishing: return StatusLine::Key("KERFELDIALOG.GENERATETAILS.STATICTEXT_GXML");
        case Kind::Cancelled: return StatusLine::Format("KERFELDIALOG.GENERATETAILS.STATICTEXT_CBU");
    }
    return std::nullopt;
}

std::string OverwriteQuestion(const std::string& jobFolder) {
    return FormatText(Text("KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_TEXT1"), {FileNameOf(jobFolder)}) + "\n" +
           Text("KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_TEXT2") + "\n" +
           Text("KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_TEXT3");
}

std::string OverwriteCaption() { return Text("KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_CAPTION"); }

Status PublishJobFiles(const std::string& jobFolder, const JobPublishing& publishing) {
    Status s = RefreshMusicCopy(publishing.musicPath, jobFolder);
    if (!s) return s;
    DescriptorValues values = publishing.values;
    values.music = !publishing.musicPath.empty();
    return WriteJobFiles(jobFolder, values);
}

namespace {

// The music copy and the job's files once every tile is written; `r` is the
// tiles' result, which they complete.
void PublishTiles(const JobEvents& events, const PublishingSource& publishing, JobResult& r) {
    std::optional<JobPublishing> published = publishing();
    if (!published) {
        r = Cancelled(std::move(r), events);
        return;
    }
    JobEvent writing;
    writing.kind = JobEvent::Kind::Publishing;
    events.Tell(writing);
    Status s = r.archive ? FinishArchive(*r.archive, &*published) : PublishJobFiles(r.jobFolder, *published);
    r = Failing(std::move(r), std::move(s));
}

}  // namespace

// Memory that runs out after the tiles (the job's files are built in
// memory) fails the job as the tiles would; the message is made before, as
// there may be no memory left to make it in then.
JobResult RunJob(const GeneratorJob& job, const JobEvents& events, const PublishingSource& publishing) {
    JobEvents clearing = events;
    clearing.clearFolder = RemoveViewerPage;
    JobResult r = GenerateTiles(job, clearing);
    if (r.end == JobEnd::Cancelled) r = Cancelled(std::move(r), events);
    if (r.end == JobEnd::Finished) {
        Status spare = Status::Output(job.sourcePath + ": not enough memory");
        try {
            if (publishing) {
                PublishTiles(events, publishing, r);
            } else if (r.archive) {
                Status s = FinishArchive(*r.archive, nullptr);
                r = Failing(std::move(r), std::move(s));
            }
        } catch (const std::bad_alloc&) {
            r.end = JobEnd::Failed;
            r.status = std::move(spare);
        }
    }
    r.folderLock.reset();  // the job's files are written: the next job may have the folder
    r.archive.reset();     // committed, or gone with whatever it held
    return r;
}

bool OffersLevels(const TilePyramid& pyramid, int k) {
    for (int entry : pyramid.m_arrListEntries)
        if (entry == k) return true;
    return false;
}

Status CheckSourceUnchanged(const std::string& sourcePath, const TilePyramid& pyramid, bool& changed) {
    changed = false;
    SourceInfo info;
    Status s = InspectSource(sourcePath, info);
    if (!s) return s;
    changed = info.width != pyramid.SourceWidth() || info.height != pyramid.SourceHeight();
    return Status::Ok();
}

}  // namespace kerfel
