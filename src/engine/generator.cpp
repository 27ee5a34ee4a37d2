#include "engine/generator.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

#include "engine/decoded_source.h"
#include "base/file_write.h"
#include "base/path.h"
#include "engine/level_scaler.h"
#include "engine/source_image.h"
#include "engine/tile_encoder.h"
#include "engine/tile_writer.h"

namespace kerfel {
namespace {

bool CancelRequested(const GeneratorHooks& hooks) { return hooks.cancelRequested && hooks.cancelRequested(); }

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

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
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

// Cuts one level picture into its tiles, columns left to right, each column
// top to bottom. Tiles go to the writer thread when there is one; progress
// is reported here, on the job's thread, once per tile in order, as soon as
// the tile is on disk.
struct LevelCutter {
    const GeneratorHooks& hooks;
    const std::string& images;
    int total;
    JobResult& result;
    TileWriter* writer;  // null: written here
    TileEncoder encoder;
    std::vector<uint8_t> pixels, jpeg;

    void ReportWritten() {
        const int written = writer ? writer->Written() : result.tilesWritten;
        while (result.tilesWritten < written) {
            ++result.tilesWritten;
            if (hooks.progress) hooks.progress(result.tilesWritten, total);
        }
    }

    // Ok, a failure, or Fault::Cancelled.
    Status Cut(const PixelView& level, int index) {
        const int columns = TileColumns(level.width), rows = TileRows(level.height);
        for (int c = 0; c < columns; ++c) {
            for (int r = 0; r < rows; ++r) {
                const std::string path = images + "/" + TileFileName(index, c, r);
                if (hooks.tileStarted) hooks.tileStarted({index, c, r, path});
                TileRect rect = CopyTilePixels(level, TileAt(level.width, level.height, c, r), pixels);
                Status s = encoder.Encode(pixels.data(), rect.width, rect.height, jpeg);
                if (!s) return Status::Output(path + ": " + s.message);
                // Under a hidden name first: a job killed mid-write leaves no broken tile.
                if (writer) {
                    s = writer->Submit(path, jpeg);
                    ReportWritten();
                } else {
                    s = ReplaceFile(path, jpeg.data(), jpeg.size());
                    if (s) {
                        ++result.tilesWritten;
                        if (hooks.progress) hooks.progress(result.tilesWritten, total);
                    }
                }
                if (!s) return s;
                if (CancelRequested(hooks)) return Status::Cancel();
            }
        }
        return Status::Ok();
    }

    // Waits for the writer's queue and reports its tiles; the writer's
    // first failure (it names the tile), or else `s`.
    Status Finish(Status s) {
        if (!writer) return s;
        Status w = writer->Drain();
        ReportWritten();
        return w ? s : w;
    }
};

}  // namespace

Status CheckPyramid(const TilePyramid& p) {
    if (p.Empty()) return Status::Bad("no image has been chosen");
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
    v.width = p.SourceWidth();
    v.height = p.SourceHeight();
    v.tiles = p.m_nTotalTiles;
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
    int level = -1;                        // the level being made or cut
};

Status MakeOwnFolder(const std::string& path, JobState& state) {
    bool created = false;
    Status s = MakeFolder(path, created);
    if (created) state.madeFolders.push_back(path);
    return s;
}

// A job that failed before its first tile leaves nothing behind: its empty
// folders would make the next attempt ask about (or, on the command line,
// refuse) a job folder that holds nothing. Only folders this run made go,
// and only while empty.
void RemoveEmptyFolders(const JobState& state) {
    for (auto it = state.madeFolders.rbegin(); it != state.madeFolders.rend(); ++it) ::rmdir(it->c_str());
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

JobResult WriteJob(const GeneratorJob& job, const GeneratorHooks& hooks, JobState& state) {
    JobResult& result = state.result;
    const TilePyramid& p = job.pyramid;
    Status s = CheckPyramid(p);
    if (!s) return Failed(result, Status::Bad(job.sourcePath + ": " + s.message));

    const std::string folder = JobFolderFor(job.outputFolder, job.sourcePath);
    result.jobFolder = folder;
    if (Exists(folder) && hooks.mayWriteInto && !hooks.mayWriteInto(folder)) {
        result.end = JobEnd::Declined;
        return result;
    }
    if (hooks.started) hooks.started(folder);
    if (!(s = MakeOwnFolder(folder, state))) return Failed(result, s);
    const std::string images = ImagesFolderOf(folder);
    if (!(s = MakeOwnFolder(images, state))) return Failed(result, s);

    DecodedSource source;
    state.level = p.LevelCount() - 1;
    if (!(s = source.Load(job.sourcePath))) return Failed(result, s);
    // The path may have been typed after the table was made: cutting a
    // picture with another picture's table would read outside its pixels.
    const PixelView top = source.View();
    if (top.width != p.SourceWidth() || top.height != p.SourceHeight())
        return Failed(result, Status::Bad(job.sourcePath + ": the picture is " + SizeText(top.width, top.height) +
                                          " pixels now, not the " + SizeText(p.SourceWidth(), p.SourceHeight()) +
                                          " it had when it was chosen; choose it again"));

    // Each level is made in memory from the next larger one by averaging
    // 2 x 2 pixels; at most two are held. No working JPEG carries a level to
    // the next: it would lose quality again at every level, and a file far
    // larger than a tile would sit under the smallest tile's name, left there
    // by a cancelled job. This way only real tiles are ever written.
    // Unless the job runs on one thread, the next level is made while this
    // one is encoded, and tiles are written by a thread of their own.
    std::unique_ptr<TileWriter> writer;
    if (!job.oneThread) writer = std::make_unique<TileWriter>();
    LevelCutter cutter{hooks, images, p.m_nTotalTiles, result, writer.get(), {}, {}, {}};
    PixelBuffer level;
    for (int l = p.LevelCount() - 1; l >= 0; --l) {
        const PixelView current = level.Empty() ? top : PixelView(level);
        auto halve = [&] {
            if (l == 0) return PixelBuffer{};
            return HalveLevel(current, p.m_arrLevelWidth[l - 1], p.m_arrLevelHeight[l - 1]);
        };
        std::future<PixelBuffer> next;
        if (!job.oneThread) next = std::async(std::launch::async, halve);
        state.level = l;
        s = cutter.Cut(current, l);
        state.level = l - 1;
        PixelBuffer smaller = job.oneThread ? (s ? halve() : PixelBuffer{}) : next.get();
        if (s.fault == Fault::Cancelled) {
            if (writer) writer->Cancel();  // what is queued is dropped, the tile in hand finished
            cutter.Finish(Status::Ok());
            return Cancelled(result);
        }
        if (!s) return Failed(result, cutter.Finish(s));
        level = std::move(smaller);
        source.Release();
    }
    if (!(s = cutter.Finish(Status::Ok()))) return Failed(result, s);
    level = PixelBuffer{};
    if (CancelRequested(hooks)) return Cancelled(result);

    result.end = JobEnd::Finished;
    return result;
}

}  // namespace

// Memory or a thread that cannot be had ends the job as failed, found on
// the job's own thread or by the level maker beside it: the tool is not
// taken down with it.
JobResult GenerateTiles(const GeneratorJob& job, const GeneratorHooks& hooks) {
    JobState state;
    JobResult r;
    try {
        r = WriteJob(job, hooks, state);
    } catch (const std::bad_alloc&) {
        r = Failed(state.result, NoMemoryForLevel(job, state.level));
    } catch (const std::system_error& e) {
        r = Failed(state.result, Status::Output(job.sourcePath + ": cannot start a thread for the job (" +
                                                e.code().message() + ")"));
    }
    if (r.end == JobEnd::Failed && r.tilesWritten == 0) RemoveEmptyFolders(state);
    return r;
}

}  // namespace kerfel
