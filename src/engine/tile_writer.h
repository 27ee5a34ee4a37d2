#pragma once
// Writes encoded tiles to their files on a thread of its own, so that the
// file system's time is spent beside the (serialised) encoding instead of
// after it. The queue is bounded: a slow disk holds the encoder back rather
// than letting encoded tiles pile up in memory. Tiles are written in the
// order they were handed over; the first failure stops the writer, names
// its tile, and every tile handed over after it is dropped unwritten.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/status.h"

namespace kerfel {

class TileWriter {
public:
    explicit TileWriter(size_t maxQueued = 16);
    // Writes what is queued, then stops the thread.
    ~TileWriter();
    TileWriter(const TileWriter&) = delete;
    TileWriter& operator=(const TileWriter&) = delete;

    // Queues one tile; waits while the queue is full. `jpeg` is taken and
    // replaced by an emptied buffer from an earlier tile, so its capacity is
    // reused. Returns the writer's first failure, if any (the tile is then
    // not queued).
    Status Submit(std::string path, std::vector<uint8_t>& jpeg);
    // Waits until every queued tile is on disk or dropped after a failure;
    // returns the first failure.
    Status Drain();
    // Drops the queued tiles not yet begun; a tile being written is finished.
    void Cancel();
    // Tiles written so far.
    int Written() const;

private:
    struct Item {
        std::string path;
        std::vector<uint8_t> jpeg;
    };
    void Run();

    const size_t m_maxQueued;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Item> m_queue;
    std::vector<std::vector<uint8_t>> m_spare;  // emptied buffers for reuse
    bool m_busy = false;                        // the thread holds an item it took
    bool m_stop = false;
    int m_written = 0;
    Status m_failure;
    std::thread m_thread;
};

}  // namespace kerfel
