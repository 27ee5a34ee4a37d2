#pragma once
// Runs the dialog's jobs on a worker thread without ever touching a window:
// everything the window must see is handed to `post`, which runs it later on
// the user-interface thread (the window's CallAfter).
//
// The worker's status text and tile count are kept here, and at most one
// update is queued at a time, at most 25 a second: a job writes thousands of
// tiles a second and repainting for each would slow it, yet the last state
// shown is exact. A question blocks the worker on a condition variable until
// the window answers it or the job is stopped, so stopping (and closing the
// window, which stops and joins) can never deadlock.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/job_runner.h"

namespace kerfel {

class JobController {
public:
    using Post = std::function<void(std::function<void()>)>;

    // What the window does for a job; every one runs on the user-interface
    // thread, and only for the job that is the controller's current one.
    struct Window {
        // Each event as it happens, but the tiles': they only move `update`.
        std::function<void(const JobEvent& event)> tell;
        // The latest status line (when it changed) and tiles done.
        std::function<void(const std::optional<StatusLine>& status, int done)> update;
        // The job folder exists: may the job write into it?
        std::function<bool(const std::string& jobFolder)> mayWriteInto;
        // What to publish when the tiles are done (the options as they are now).
        std::function<JobPublishing()> publishing;
        std::function<void(const JobResult& result)> ended;
    };

    explicit JobController(Post post);
    // Stops a running job and waits for its worker.
    ~JobController();
    JobController(const JobController&) = delete;
    JobController& operator=(const JobController&) = delete;

    // Starts the job on a new worker. A worker still ending (after a stop)
    // is waited for first; call only when Running() is false.
    void Start(const GeneratorJob& job, Window window);
    // Whether a worker has a job that has not yet reported its end.
    bool Running() const { return m_running.load(); }
    // Asks the running job to stop after its current tile; a question it
    // waits on is answered No.
    void RequestCancel();
    // Forgets a stop request that came too late for the job it was meant for.
    void ClearCancel() { m_cancel.store(false); }
    bool CancelRequested() const { return m_cancel.load(); }
    // Called on the worker as writing begins (done 0) and after each tile
    // written (tiles done); the job waits while it runs. For tests that must
    // hold a job at a known point instead of racing it. Set before Start.
    void SetWorkerStep(std::function<void(int done)> step) { m_workerStep = std::move(step); }

private:
    struct Job;
    void Work(std::shared_ptr<Job> job);
    void Heard(const std::shared_ptr<Job>& job, const JobEvent& event);  // on the worker
    template <typename T>
    std::optional<T> AskWindow(const std::shared_ptr<Job>& job, std::function<T()> ask);
    void QueueUpdate(const std::shared_ptr<Job>& job);  // caller holds job->lock
    void ApplyUpdate(const std::shared_ptr<Job>& job);
    void End(const std::shared_ptr<Job>& job);

    Post m_post;
    std::function<void(int done)> m_workerStep;
    std::thread m_worker;
    std::shared_ptr<Job> m_job;  // the current job; the user-interface thread's own
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancel{false};
    std::mutex m_waitLock;  // with m_answered: a question waiting for the window
    std::condition_variable m_answered;
};

}  // namespace kerfel
