#include "engine/generator.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <new>
#include <system_error>
#include <vector>

#include "base/file_write.h"
#include "base/folder_lock.h"
#include "base/path.h"
#include "engine/cut_pyramid.h"
#include "engine/earlier_job.h"
#include "engine/tile_paths.h"

namespace kerfel {
namespace {

// An existing folder is fine; anything else at that path is not.
Status MakeFolder(const std::string& path, bool& created) {
    created = ::mkdir(path.c_str(), 0777) == 0;
    if (created) return Status::Ok();
    int err = errno;
    struct stat st;
    if (err == EEXIST && ::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return Status::Ok();
        return Status::Output(path + ": exists and is not a folder");
    }
    return OutputError(path, err);
}

JobResult Failed(JobResult r, Status s) {
    r.end = JobEnd::Failed;
    r.status = std::move(s);
    return r;
}

JobResult Cancelled(JobResult r) {
    r.end = JobEnd::Cancelled;
    r.status = Status::Cancel();
    return r;
}

bool IsHalf(unsigned side, unsigned halved) { return halved == side / 2 || halved == side - side / 2; }

}  // namespace

Status CheckPyramid(const TilePyramid& p) {
    if (p.Empty()) return Status::Bad("no image has been chosen");
    const Layout& layout = *p.m_pLayout;
    // A strip holds a tile's rows with the overlap above and below it.
    if (layout.tileSize == 0 || layout.overlap >= layout.tileSize)
        return Status::Bad(std::string("the tiles of the layout ") + layout.name + " (" +
                           std::to_string(layout.tileSize) + " pixels, overlap " + std::to_string(layout.overlap) +
                           ") cannot be cut: the overlap must be below the tile size");
    // The strips make each level from the one above by its sizes alone.
    for (int i = 1; i < p.LevelCount(); ++i)
        if (!IsHalf(p.m_arrLevelWidth[i], p.m_arrLevelWidth[i - 1]) ||
            !IsHalf(p.m_arrLevelHeight[i], p.m_arrLevelHeight[i - 1]))
            return Status::Bad("level " + std::to_string(i - 1) + " is not half of level " + std::to_string(i));
    // Tiles are counted and told in ints (the descriptor, the progress).
    if (p.m_nTotalTiles > INT_MAX)
        return Status::Bad("the picture would make " + std::to_string(p.m_nTotalTiles) + " tiles, more than " +
                           std::to_string(INT_MAX));
    for (int i = p.LevelCount() - 1; i >= 0; --i) {
        if (p.m_arrLevelWidth[i] == 0 || p.m_arrLevelHeight[i] == 0)
            return Status::Bad("the picture is too narrow for its zoom levels: halving " +
                               SizeText(p.SourceWidth(), p.SourceHeight()) + " pixels gives a level of " +
                               SizeText(p.m_arrLevelWidth[i], p.m_arrLevelHeight[i]) + " pixels");
    }
    return Status::Ok();
}

DescriptorValues DescribePyramid(const TilePyramid& p, int k) {
    DescriptorValues v;
    v.layout = p.m_pLayout;
    for (int i = 0; i < p.LevelCount(); ++i) v.levels.push_back({p.m_arrLevelWidth[i], p.m_arrLevelHeight[i]});
    v.width = p.SourceWidth();
    v.height = p.SourceHeight();
    v.tiles = static_cast<int>(p.m_nTotalTiles);  // checked by CheckPyramid
    if (p.ValidEntry(k)) {
        v.viewWidth = p.DisplayWidth(k);
        v.viewHeight = p.DisplayHeight(k);
    }
    return v;
}

namespace {

// What a job has done so far, kept outside the steps that may throw, so that
// a job stopped by an exception still knows it.
struct JobState {
    JobResult result;
    std::vector<std::string> madeFolders;  // created by this run, outermost first
    int level = -1;                        // the level last cut
};

Status MakeOwnFolder(const std::string& path, JobState& state) {
    bool created = false;
    Status s = MakeFolder(path, created);
    if (created) state.madeFolders.push_back(path);
    return s;
}

// A job that failed or was stopped before its first tile leaves nothing
// behind: its empty folders would make the next attempt ask about (or, on
// the command line, refuse) a job folder that holds nothing. Only folders
// this run made go, and only while empty.
void RemoveEmptyFolders(const JobState& state) {
    for (auto it = state.madeFolders.rbegin(); it != state.madeFolders.rend(); ++it) ::rmdir(it->c_str());
}

// Two jobs into one folder would leave tiles of both: the second is refused.
Status HoldFolder(const std::string& folder, JobResult& result) {
    auto lock = std::make_shared<const FolderLock>(folder, FolderLock::Wait::Never);
    if (lock->Busy()) return Status::Output(folder + ": another job is writing into this folder");
    result.folderLock = std::move(lock);
    return Status::Ok();
}

// What says a job is finished goes first: a stop half way through must not
// leave an earlier job's descriptor over a mix of tiles.
Status ClearEarlierJob(const std::string& folder, const std::string& name, const JobEvents& events) {
    Status s = events.clearFolder ? events.clearFolder(folder) : Status::Ok();
    if (s) s = RemoveEarlierDescriptors(folder, name);
    if (s) s = RemoveEarlierTiles(folder, name);
    return s;
}

Status NoMemoryForLevel(const GeneratorJob& job, int level) {
    const TilePyramid& p = job.pyramid;
    const bool known = level >= 0 && level < static_cast<int>(p.m_arrLevelWidth.size()) &&
                       level < static_cast<int>(p.m_arrLevelHeight.size());
    Status s = known ? NoMemory(p.m_arrLevelWidth[level], p.m_arrLevelHeight[level], "level")
                     : Status::Output("not enough memory");
    s.message = job.sourcePath + ": " + s.message;
    return s;
}

// The job folder made, held against other jobs, cleared of an earlier job,
// with the folders its tiles go in.
Status PrepareFolder(const GeneratorJob& job, const TilePaths& paths, const JobEvents& events, JobState& state) {
    const std::string& folder = state.result.jobFolder;
    const bool existed = PathExists(folder);
    Status s = MakeOwnFolder(folder, state);
    if (s) s = HoldFolder(folder, state.result);
    if (s && existed) s = ClearEarlierJob(folder, JobName(job.sourcePath), events);
    for (const std::string& below : paths.Folders())
        if (s) s = MakeOwnFolder(JoinPath(folder, below), state);
    return s;
}

// The archive begun, with the folders its tiles go in. A folder or device
// under the archive's name is refused before the first tile, not after the last.
Status PrepareArchive(const TilePaths& paths, JobState& state) {
    JobArchive& archive = *state.result.archive;
    struct stat st;
    if (!archive.ToStandardOutput() && ::stat(archive.Path().c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return Status::Output(archive.Path() + ": exists and is not a file");
    Status s = archive.Open(std::time(nullptr));
    return s ? archive.AddFolders(paths.Folders()) : s;
}

JobResult WriteJob(const GeneratorJob& job, const JobEvents& events, JobState& state) {
    JobResult& result = state.result;
    const TilePyramid& p = job.pyramid;
    Status s = CheckPyramid(p);
    if (!s) return Failed(result, Status::Bad(job.sourcePath + ": " + s.message));

    const std::string name = JobName(job.sourcePath);
    const std::string folder = job.oneArchive ? ArchivePathFor(job.outputFolder, job.sourcePath)
                                              : JobFolderFor(job.outputFolder, job.sourcePath);
    const bool toOutput = job.oneArchive && folder == kStandardOutputName;
    result.jobFolder = folder;
    if (!toOutput && PathExists(folder) && events.mayWriteInto && !events.mayWriteInto(folder)) {
        result.end = JobEnd::Declined;
        return result;
    }
    // In an archive the job folder's files lie below the job's name.
    const TilePaths paths(p, job.oneArchive ? name : folder, name);
    JobEvent start;
    start.folder = folder;
    start.tile = paths.Of(0, 0, 0);
    events.Tell(start);
    if (job.oneArchive) result.archive = std::make_shared<JobArchive>(folder, name);
    s = job.oneArchive ? PrepareArchive(paths, state) : PrepareFolder(job, paths, events, state);
    if (!s) return Failed(result, s);

    // Tiles come strip by strip, each level's full strip before the smaller
    // levels' strips it completes; started when cut, counted once on disk.
    JobEvents counting = events;
    counting.tell = [&](const JobEvent& e) {
        if (e.kind == JobEvent::Kind::TileStarted) state.level = e.level;
        if (e.kind != JobEvent::Kind::TileWritten) return events.Tell(e);
        JobEvent written = e;
        written.done = ++result.tilesWritten;
        written.total = static_cast<int>(p.m_nTotalTiles);
        events.Tell(written);
    };
    state.level = p.LevelCount() - 1;
    s = CutPyramid(job.sourcePath, p, paths, job.oneThread ? -1 : job.threads, job.memoryLimit, counting,
                   &result.notes, job.quality, result.archive.get(), job.acceptDamaged);
    if (s.fault == Fault::Cancelled) return Cancelled(result);
    if (!s) return Failed(result, s);
    state.level = -1;  // no level is to blame for what fails now
    if (events.StopRequested()) return Cancelled(result);

    result.end = JobEnd::Finished;
    return result;
}

}  // namespace

// Memory or a thread that cannot be had ends the job as failed, found on
// the job's own thread or by the level maker beside it: the tool is not
// taken down with it. The message is made before the job: when memory runs
// out there may be none left to make it in, and a handler that throws
// again would end the tool after all.
JobResult GenerateTiles(const GeneratorJob& job, const JobEvents& events) {
    JobState state;
    Status spare = Status::Output(job.sourcePath + ": not enough memory");
    JobResult r;
    try {
        r = WriteJob(job, events, state);
    } catch (const std::bad_alloc&) {
        r = Failed(std::move(state.result), std::move(spare));
        try {
            r.status = NoMemoryForLevel(job, state.level);
        } catch (const std::bad_alloc&) {
        }
    } catch (const std::system_error& e) {
        r = Failed(std::move(state.result), std::move(spare));
        try {
            r.status = Status::Output(job.sourcePath + ": cannot start a thread for the job (" + e.code().message() + ")");
        } catch (const std::bad_alloc&) {
        }
    }
    if ((r.end == JobEnd::Failed || r.end == JobEnd::Cancelled) && r.tilesWritten == 0) RemoveEmptyFolders(state);
    return r;
}

}  // namespace kerfel
