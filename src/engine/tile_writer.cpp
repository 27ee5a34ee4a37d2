#include "engine/tile_writer.h"

#include <new>

#include "base/file_write.h"

namespace kerfel {

TileWriter::TileWriter(size_t maxQueued) : m_maxQueued(maxQueued ? maxQueued : 1) {
    // Held in full from the start: the thread never allocates under the lock.
    m_spare.reserve(m_maxQueued);
    m_thread = std::thread(&TileWriter::Run, this);
}

TileWriter::~TileWriter() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

Status TileWriter::Submit(std::string path, std::vector<uint8_t>& jpeg) {
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait(hold, [this] { return !m_failure.ok() || m_queue.size() < m_maxQueued; });
    if (!m_failure.ok()) return m_failure;
    m_queue.push_back(Item{std::move(path), std::move(jpeg)});
    jpeg.clear();
    if (!m_spare.empty()) {
        jpeg = std::move(m_spare.back());
        m_spare.pop_back();
    }
    hold.unlock();
    m_changed.notify_all();
    return Status::Ok();
}

Status TileWriter::Drain() {
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait(hold, [this] { return m_queue.empty() && !m_busy; });
    return m_failure;
}

void TileWriter::Cancel() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_queue.clear();
    }
    m_changed.notify_all();
}

int TileWriter::Written() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_written;
}

void TileWriter::Run() {
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;) {
        m_changed.wait(hold, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty()) return;  // stopping with nothing left
        Item item = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        hold.unlock();
        // Under a hidden name, renamed when whole: nothing half written is
        // ever seen under a tile's name, even if the job is killed.
        Status s;
        try {
            s = ReplaceFile(item.path, item.jpeg.data(), item.jpeg.size());
        } catch (const std::bad_alloc&) {  // nothing may escape this thread: it would end the tool
            s = Status::Output(item.path + ": not enough memory to write it");
        }
        hold.lock();
        m_busy = false;
        if (s.ok()) {
            ++m_written;
        } else if (m_failure.ok()) {
            m_failure = std::move(s);
        }
        if (!m_failure.ok()) m_queue.clear();  // nothing after a failed tile is written
        item.jpeg.clear();
        if (m_spare.size() < m_maxQueued) m_spare.push_back(std::move(item.jpeg));
        m_changed.notify_all();
    }
}

}  // namespace kerfel
