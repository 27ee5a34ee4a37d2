#include "engine/encode_pool.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "engine/tile_encoder.h"

namespace kerfel {

struct EncodePool::Task {
    TileCut cut;
    std::string path;
    std::vector<std::string> others;  // further names of the tile
    enum { Queued, Running, Done } state = Queued;
    Status status;
    bool outOfMemory = false;  // its message is made on the job's thread
};

namespace {

// The decoder that feeds the pool reads the picture serially: it is the one
// part of a job that cannot be shared out. Encoders that give way to it keep
// every core busy, where equal shares would leave it a third of a core when
// two encoders run beside it on two cores, and the pool idle waiting for its
// next strip. They give way to the desktop too.
void GiveWayToTheDecoder() {
    const id_t self = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, self);
    if (errno == 0) ::setpriority(PRIO_PROCESS, self, nice + 10);
}

JobEvent TileEvent(JobEvent::Kind kind, const TileCut& cut, const std::string& path) {
    JobEvent e;
    e.kind = kind;
    e.tile = path;
    e.level = cut.level;
    e.column = cut.column;
    e.row = cut.row;
    return e;
}

}  // namespace

EncodePool::EncodePool(const TilePaths& paths, TileStore& store, int threads, const JobEvents& events, int quality)
    : m_paths(paths), m_store(store), m_events(events), m_quality(quality) {
    if (threads < 0) {
        m_inline = std::make_unique<TileEncoder>(m_quality);
        return;
    }
    if (threads == 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    try {
        for (int i = 0; i < threads; ++i) m_threads.emplace_back(&EncodePool::Run, this);
    } catch (...) {
        Abandon();
        throw;
    }
}

EncodePool::~EncodePool() { Abandon(); }

void EncodePool::Abandon() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread& t : m_threads) t.join();
    m_threads.clear();
}

Status EncodePool::Encode(Task& task, std::vector<uint8_t>& jpeg, TileEncoder& encoder) {
    const TileCut& t = task.cut;
    Status s = encoder.Encode(t.pixels, t.stride, t.width, t.height, jpeg);
    if (!s) return Status::Output(task.path + ": " + s.message);
    return m_store.Put(task.path, task.others, jpeg.data(), jpeg.size());
}

void EncodePool::Run() {
    GiveWayToTheDecoder();
    std::vector<uint8_t> jpeg;
    std::unique_ptr<TileEncoder> encoder;
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;) {
        m_changed.wait(hold, [this] { return m_stopping || m_nextQueued < m_tasks.size(); });
        if (m_stopping) return;
        std::shared_ptr<Task> task = m_tasks[m_nextQueued++];
        task->state = Task::Running;
        hold.unlock();
        Status s;
        bool outOfMemory = false;
        // Nothing may escape this thread: it would end the tool. Nor may the
        // handler allocate, as a message would: memory has just run out.
        try {
            if (!encoder) encoder = std::make_unique<TileEncoder>(m_quality);
            s = Encode(*task, jpeg, *encoder);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
        hold.lock();
        task->status = std::move(s);
        task->outOfMemory = outOfMemory;
        task->state = Task::Done;
        --*task->cut.readers;
        m_changed.notify_all();
    }
}

void EncodePool::ReportFront(std::unique_lock<std::mutex>& hold) {
    std::shared_ptr<Task> task = m_tasks.front();
    m_tasks.pop_front();
    --m_nextQueued;
    hold.unlock();
    m_events.Tell(TileEvent(JobEvent::Kind::TileWritten, task->cut, task->path));
    hold.lock();
}

bool EncodePool::FrontDone() const { return !m_tasks.empty() && m_tasks.front()->state == Task::Done; }

Status EncodePool::ReportDone(std::unique_lock<std::mutex>& hold) {
    if (!m_failure.ok()) return m_failure;
    while (FrontDone()) {
        Task& front = *m_tasks.front();
        if (front.outOfMemory) return m_failure = Status::Output(front.path + ": not enough memory to encode it");
        if (!front.status.ok()) return m_failure = front.status;
        ReportFront(hold);
    }
    hold.unlock();
    const bool cancel = m_events.StopRequested();
    hold.lock();
    return cancel ? Status::Cancel() : Status::Ok();
}

Status EncodePool::Take(const TileCut& tile) {
    const std::string path = m_paths.Of(tile.level, tile.column, tile.row);
    if (m_inline) {
        m_events.Tell(TileEvent(JobEvent::Kind::TileStarted, tile, path));
        Task task{tile, path, m_paths.OthersOf(tile.level, tile.column, tile.row), Task::Queued, Status::Ok()};
        Status s = Encode(task, m_inlineJpeg, *m_inline);
        if (!s) return s;
        m_events.Tell(TileEvent(JobEvent::Kind::TileWritten, tile, path));
        return m_events.StopRequested() ? Status::Cancel() : Status::Ok();
    }
    auto task = std::make_shared<Task>();
    task->cut = tile;
    task->path = path;
    task->others = m_paths.OthersOf(tile.level, tile.column, tile.row);
    std::unique_lock<std::mutex> hold(m_lock);
    // A stop is seen before the tile is announced: a tile the status line
    // named is one the job went on to write.
    Status s = ReportDone(hold);
    if (!s) return s;
    hold.unlock();
    m_events.Tell(TileEvent(JobEvent::Kind::TileStarted, tile, path));
    hold.lock();
    m_tasks.push_back(std::move(task));
    ++*tile.readers;
    hold.unlock();
    m_changed.notify_one();
    return Status::Ok();
}

Status EncodePool::AwaitReaders(int* readers) {
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;) {
        Status s = ReportDone(hold);
        if (!s) return s;
        if (*readers == 0) return Status::Ok();
        // ReportDone lets go of the lock around the events: what finished
        // meanwhile is seen here, not waited for.
        m_changed.wait(hold, [&] { return *readers == 0 || FrontDone(); });
    }
}

Status EncodePool::Finish() {
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;) {
        Status s = ReportDone(hold);
        if (!s || m_tasks.empty()) return s;
        m_changed.wait(hold, [this] { return FrontDone(); });
    }
}

void EncodePool::Stop() {
    std::unique_lock<std::mutex> hold(m_lock);
    while (m_tasks.size() > m_nextQueued) {
        --*m_tasks.back()->cut.readers;
        m_tasks.pop_back();
    }
    m_changed.wait(hold, [this] {
        for (const auto& t : m_tasks)
            if (t->state == Task::Running) return false;
        return true;
    });
    // After a failure nothing more is reported: the job ends at that tile.
    while (m_failure.ok() && !m_tasks.empty() && m_tasks.front()->status.ok() && !m_tasks.front()->outOfMemory)
        ReportFront(hold);
    m_tasks.clear();
    m_nextQueued = 0;
}

}  // namespace kerfel
