#pragma once
// Tiles encoded at quality 70 (or the job's) on a pool of threads, each with
// its own compressor, and handed whole to the job's tile store. Whatever
// order the threads finish in, tiles are reported on the job's thread in the
// order they were handed over (TileStarted when a tile is taken, TileWritten
// once the store holds it), and the first tile that fails (in that order) stops
// the job and names its file. Stop drops the tiles not yet begun and keeps
// every tile already written.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/job_events.h"
#include "engine/strip_pyramid.h"
#include "engine/tile_encoder.h"
#include "engine/tile_paths.h"
#include "engine/tile_store.h"

namespace kerfel {

class EncodePool : public TileSink {
public:
    // threads > 0: that many encoders; 0: one per core; < 0: none, every
    // tile is encoded and written on the calling thread as it is taken.
    // The paths and the store must outlive the pool.
    EncodePool(const TilePaths& paths, TileStore& store, int threads, const JobEvents& events,
               int quality = kTileJpegQuality);
    // Drops the tiles not begun and waits for those in hand.
    ~EncodePool() override;

    Status Take(const TileCut& tile) override;
    Status AwaitReaders(int* readers) override;
    // Waits for every tile and reports it; the first failure, or Cancelled.
    Status Finish();
    // Ends the job early: drops what is not begun, waits for what is, and
    // reports what got written.
    void Stop();
    // Drops what is not begun and waits for what is, reporting nothing:
    // the pixels the pool reads may be freed afterwards.
    void Abandon();
    int Threads() const { return static_cast<int>(m_threads.size()); }

private:
    struct Task;
    void Run();
    Status Encode(Task& task, std::vector<uint8_t>& jpeg, class TileEncoder& encoder);
    // Reports the finished tiles at the front, in order; polls for a stop.
    // Called with the lock held; may release it around the events.
    Status ReportDone(std::unique_lock<std::mutex>& hold);
    // Whether the tile at the front is finished (called with the lock held).
    bool FrontDone() const;
    // Takes the (finished, written) tile at the front and reports it.
    void ReportFront(std::unique_lock<std::mutex>& hold);

    const TilePaths& m_paths;
    TileStore& m_store;
    const JobEvents& m_events;
    const int m_quality;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Task>> m_tasks;  // in hand-over order, until reported
    size_t m_nextQueued = 0;                    // index into m_tasks of the first not begun
    bool m_stopping = false;
    Status m_failure;  // the first failure reported (in order)
    std::unique_ptr<class TileEncoder> m_inline;  // without threads
    std::vector<uint8_t> m_inlineJpeg;
    std::vector<std::thread> m_threads;
};

}  // namespace kerfel
