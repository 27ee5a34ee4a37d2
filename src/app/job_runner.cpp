#include "app/job_runner.h"

#include <new>

#include "base/path.h"
#include "engine/job_layout.h"
#include "engine/source_image.h"
#include "i18n/format_text.h"
#include "i18n/language_table.h"
#include "publish/job_files.h"
#include "publish/music_copy.h"

namespace kerfel {
namespace {

std::string Text(const char* key) { return GetLanguageText(key); }

std::string OverwriteQuestion(const std::string& jobFolder) {
    return FormatText(Text("KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_TEXT1"), {FileNameOf(jobFolder)}) + "\n" +
           Text("KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_TEXT2") + "\n" +
           Text("KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_TEXT3");
}

GeneratorHooks EngineHooks(const JobRunnerHooks& hooks) {
    auto say = [&hooks](const StatusLine& line) {
        if (hooks.status) hooks.status(line);
    };
    GeneratorHooks g;
    g.tileStarted = [say](const TileEvent& t) {
        say(StatusLine::Format("KERFELDIALOG.GENERATETAILS.STATICTEXT_GMFLEVEL", t.path, t.level));
    };
    g.progress = hooks.progress;
    g.cancelRequested = hooks.cancelRequested;
    if (hooks.askYesNo)
        g.mayWriteInto = [&hooks](const std::string& folder) {
            return hooks.askYesNo(OverwriteQuestion(folder), Text("KERFELDIALOG.GENERATETAILS.MESSAGEBOX1_CAPTION"));
        };
    g.started = [&hooks, say](const std::string& folder) {
        if (hooks.started) hooks.started(folder);
        say(StatusLine::KeyThenPath("KERFELDIALOG.GENERATETAILS.STATICTEXT_GMF",
                                    ImagesFolderOf(folder) + "/" + TileFileName(0, 0, 0)));
    };
    return g;
}

JobResult Cancelled(JobResult r, const JobRunnerHooks& hooks) {
    if (hooks.status) hooks.status(StatusLine::Format("KERFELDIALOG.GENERATETAILS.STATICTEXT_CBU"));
    r.end = JobEnd::Cancelled;
    r.status = Status::Cancel();
    return r;
}

}  // namespace

Status PublishJobFiles(const std::string& jobFolder, const JobPublishing& publishing) {
    Status s = RefreshMusicCopy(publishing.musicPath, jobFolder);
    if (!s) return s;
    DescriptorValues values = publishing.values;
    values.music = !publishing.musicPath.empty();
    return WriteJobFiles(jobFolder, values);
}

JobResult RunJob(const GeneratorJob& job, const JobRunnerHooks& hooks) {
    JobResult r = GenerateTiles(job, EngineHooks(hooks));
    if (r.end == JobEnd::Cancelled) return Cancelled(r, hooks);
    if (r.end != JobEnd::Finished || !hooks.publishing) return r;
    std::optional<JobPublishing> publishing;
    try {
        publishing = hooks.publishing();
    } catch (const std::bad_alloc&) {
        r.end = JobEnd::Failed;
        r.status = Status::Output(job.sourcePath + ": not enough memory");
        return r;
    }
    if (!publishing) return Cancelled(r, hooks);
    if (hooks.status) hooks.status(StatusLine::Key("KERFELDIALOG.GENERATETAILS.STATICTEXT_GXML"));
    if (Status s = PublishJobFiles(r.jobFolder, *publishing); !s) {
        r.end = JobEnd::Failed;
        r.status = s;
    }
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
