#include "app/job_controller.h"

#include <chrono>
#include <new>

namespace kerfel {

struct JobController::Job {
    GeneratorJob job;
    Window window;

    std::mutex lock;  // guards what follows
    StatusLine status;
    bool statusChanged = false;
    int done = 0;
    bool updateQueued = false;
    std::chrono::steady_clock::time_point nextUpdate;
    JobResult result;
};

JobController::JobController(Post post) : m_post(std::move(post)) {}

JobController::~JobController() {
    RequestCancel();
    if (m_worker.joinable()) m_worker.join();
}

void JobController::RequestCancel() {
    {
        std::lock_guard<std::mutex> hold(m_waitLock);
        m_cancel.store(true);
    }
    m_answered.notify_all();
}

void JobController::Start(const GeneratorJob& job, Window window) {
    // Any earlier worker has queued its end; the join is immediate.
    if (m_worker.joinable()) {
        RequestCancel();
        m_worker.join();
    }
    auto next = std::make_shared<Job>();
    next->job = job;
    next->window = std::move(window);
    m_cancel.store(false);  // a request that came too late for the last job
    m_running.store(true);
    m_job = next;
    m_worker = std::thread(&JobController::Work, this, next);
}

// Runs `ask` on the user-interface thread and waits for its answer; nothing
// when the job is stopped first. A question the worker no longer waits for
// is never put to the user.
template <typename T>
std::optional<T> JobController::AskWindow(const std::shared_ptr<Job>& job, std::function<T()> ask) {
    struct Pending {
        std::optional<T> answer;
        bool abandoned = false;
    };
    auto pending = std::make_shared<Pending>();
    m_post([this, job, ask, pending] {
        {
            std::lock_guard<std::mutex> hold(m_waitLock);
            if (pending->abandoned || m_cancel.load() || m_job != job) return;
        }
        T value = ask();
        {
            std::lock_guard<std::mutex> hold(m_waitLock);
            pending->answer = std::move(value);
        }
        m_answered.notify_all();
    });
    std::unique_lock<std::mutex> hold(m_waitLock);
    m_answered.wait(hold, [&] { return pending->answer.has_value() || m_cancel.load(); });
    if (!pending->answer) pending->abandoned = true;
    return pending->answer;
}

void JobController::QueueUpdate(const std::shared_ptr<Job>& job) {
    // What is not queued now is shown by a later update or by the job's end.
    const auto now = std::chrono::steady_clock::now();
    if (job->updateQueued || now < job->nextUpdate) return;
    job->nextUpdate = now + std::chrono::milliseconds(40);
    job->updateQueued = true;
    m_post([this, job] { ApplyUpdate(job); });
}

void JobController::ApplyUpdate(const std::shared_ptr<Job>& job) {
    if (m_job != job) return;  // a later job owns the window now
    std::optional<StatusLine> status;
    int done;
    {
        std::lock_guard<std::mutex> hold(job->lock);
        job->updateQueued = false;
        if (job->statusChanged) status = std::move(job->status);
        job->statusChanged = false;
        done = job->done;
    }
    if (job->window.update) job->window.update(status, done);
}

void JobController::Heard(const std::shared_ptr<Job>& job, const JobEvent& e) {
    using Kind = JobEvent::Kind;
    if (e.kind != Kind::TileStarted && e.kind != Kind::TileWritten)
        m_post([this, job, e] {
            if (m_job == job && job->window.tell) job->window.tell(e);
        });
    {
        std::lock_guard<std::mutex> hold(job->lock);
        if (std::optional<StatusLine> line = StatusOf(e)) {
            job->status = std::move(*line);
            job->statusChanged = true;
        }
        if (e.kind == Kind::TileWritten) job->done = e.done;
        QueueUpdate(job);
    }
    if (m_workerStep && (e.kind == Kind::Started || e.kind == Kind::TileWritten)) m_workerStep(e.done);
}

void JobController::Work(std::shared_ptr<Job> job) {
    JobEvents events;
    events.tell = [this, job](const JobEvent& e) { Heard(job, e); };
    events.stopRequested = [this] { return m_cancel.exchange(false); };
    if (job->window.mayWriteInto)
        events.mayWriteInto = [this, job](const std::string& folder) {
            std::function<bool()> ask = [job, folder] { return job->window.mayWriteInto(folder); };
            return AskWindow(job, ask).value_or(false);
        };
    PublishingSource publishing;
    if (job->window.publishing)
        publishing = [this, job] { return AskWindow(job, std::function<JobPublishing()>(job->window.publishing)); };
    JobResult result;
    try {
        result = RunJob(job->job, events, publishing);
    } catch (const std::bad_alloc&) {
        // Not even the message could be made: the window's own words say it failed.
        result.end = JobEnd::Failed;
        result.status.fault = Fault::OutputFailed;
    }
    {
        std::lock_guard<std::mutex> hold(job->lock);
        job->result = result;
    }
    m_post([this, job] { End(job); });
}

void JobController::End(const std::shared_ptr<Job>& job) {
    if (m_job != job) return;  // a later job has joined this one's worker
    if (m_worker.joinable()) m_worker.join();  // its last act was to queue this call
    ApplyUpdate(job);
    m_running.store(false);
    JobResult result;
    {
        std::lock_guard<std::mutex> hold(job->lock);
        result = job->result;
    }
    if (job->window.ended) job->window.ended(result);
}

}  // namespace kerfel
