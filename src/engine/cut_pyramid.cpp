#include "engine/cut_pyramid.h"

#include <thread>

#include "engine/source_reader.h"
#include "engine/memory_rule.h"
#include "engine/strip_pyramid.h"
#include "engine/whole_level.h"

namespace kerfel {
namespace {

// The pool reads the strips' pixels: it must have stopped before they go,
// however the job ends.
struct AbandonOnExit {
    EncodePool& pool;
    ~AbandonOnExit() { pool.Abandon(); }
};

Status Decode(SourceReader& source, StripPyramid& strips, const JobEvents& events) {
    std::vector<uint8_t*> rows;
    while (!strips.Complete()) {
        Status s = strips.NextRows(rows);
        if (!s) return s;
        if (rows.empty()) break;
        // Bands of rows as the source likes them: progress and a stop are seen between them.
        for (size_t done = 0; done < rows.size();) {
            // A stop is seen while the first strip of a wide picture is still
            // being decoded, before any tile is begun.
            if (events.StopRequested()) return Status::Cancel();
            const unsigned n = static_cast<unsigned>(std::min<size_t>(source.BandRows(), rows.size() - done));
            if (!(s = source.ReadRows(rows.data() + done, n))) return s;
            if (!(s = strips.Filled(n))) return s;
            done += n;
        }
    }
    return Status::Ok();
}

}  // namespace

Status CutPyramid(const std::string& sourcePath, const TilePyramid& table, const TilePaths& paths,
                  int threads, unsigned long long memoryLimit, const JobEvents& events,
                  std::vector<std::string>* notes, int quality, TileStore* store, bool acceptDamaged) {
    std::unique_ptr<SourceReader> opened;
    Status s = OpenSource(sourcePath, opened);
    if (!s) return s;
    SourceReader& source = *opened;
    // The path may have been typed after the table was made: cutting a
    // picture with another picture's table would read outside its pixels.
    if (source.Width() != table.SourceWidth() || source.Height() != table.SourceHeight())
        return Status::Bad(sourcePath + ": the picture is " + SizeText(source.Width(), source.Height()) +
                           " pixels now, not the " + SizeText(table.SourceWidth(), table.SourceHeight()) +
                           " it had when it was chosen; choose it again");
    if (!(s = CheckStripMemory(sourcePath, source.Width()))) return s;
    if (!(s = CheckMemoryRule(sourcePath, source.WholePictureBytes(), memoryLimit))) return s;
    source.AcceptDamage(acceptDamaged);
    source.StopWhen([&events] { return events.StopRequested(); });
    // Colours are converted by as many threads as encode tiles.
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (!(s = source.Start(1, threads < 0 ? 1 : threads == 0 ? cores : threads))) return s;
    if (notes && !source.ColourNote().empty()) notes->push_back(sourcePath + ": " + source.ColourNote());

    FolderTileStore files;
    TileStore& tiles = store ? *store : files;
    EncodePool pool(paths, tiles, threads, events, quality);
    WholeLevelSink whole(table, paths, tiles, pool);
    StripPyramid strips(table, whole);
    AbandonOnExit abandon{pool};
    s = Decode(source, strips, events);
    if (s) s = pool.Finish();
    if (!s) pool.Stop();
    if (s && notes && !source.DamageNote().empty()) notes->push_back(sourcePath + ": " + source.DamageNote());
    return s;
}

}  // namespace kerfel
