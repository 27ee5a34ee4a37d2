// The window-free side of the dialog's jobs: the "window" here is a queue
// the test thread drains, as the user-interface thread drains its events.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <mutex>

#include "app/job_controller.h"
#include "generator_test_util.h"

using namespace kerfel;

namespace {

struct JobControllerThreads : ::testing::Test {
    std::mutex lock;
    std::deque<std::function<void()>> queue;
    JobController jobs{[this](std::function<void()> f) {
        std::lock_guard<std::mutex> hold(lock);
        queue.push_back(std::move(f));
    }};
    std::string dir, out;
    GeneratorJob job;
    std::optional<JobResult> ended;
    int updates = 0, lastDone = 0, asked = 0;
    std::vector<JobEvent::Kind> told;
    bool answer = true;

    void SetUp() override {
        dir = gentest::TempFolder();
        out = dir + "/out";
        std::filesystem::create_directory(out);
        gentest::WriteJpeg(dir + "/photo.jpg", gentest::Gradient(1000, 800));
        job = {dir + "/photo.jpg", out, TilePyramid::Build(NativeLayout(), 1000, 800)};
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Runs what the worker queued, as the window's event loop would; false
    // when `done` did not come within two minutes (a bound for a hung job
    // only: a sanitized build on a busy machine is slow).
    bool Drain(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (!done() && std::chrono::steady_clock::now() < end) {
            std::deque<std::function<void()>> now;
            {
                std::lock_guard<std::mutex> hold(lock);
                now.swap(queue);
            }
            for (auto& f : now) f();
            if (now.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done();
    }

    JobController::Window Window() {
        JobController::Window w;
        w.tell = [this](const JobEvent& e) { told.push_back(e.kind); };
        w.update = [this](const std::optional<StatusLine>&, int done) {
            ++updates;
            lastDone = done;
        };
        w.mayWriteInto = [this](const std::string&) {
            ++asked;
            return answer;
        };
        w.publishing = [this] { return JobPublishing{DescribePyramid(job.pyramid, 1), ""}; };
        w.ended = [this](const JobResult& r) { ended = r; };
        return w;
    }
};

}  // namespace

TEST_F(JobControllerThreads, AJobEndsOnTheWindowsThreadWithItsLastStateShownAndFewUpdates) {
    jobs.Start(job, Window());
    EXPECT_TRUE(jobs.Running());
    ASSERT_TRUE(Drain([&] { return ended.has_value(); }));
    EXPECT_EQ(ended->end, JobEnd::Finished) << ended->status.message;
    EXPECT_FALSE(jobs.Running());
    EXPECT_EQ(lastDone, job.pyramid.m_nTotalTiles);  // the end shows the exact count
    EXPECT_LE(updates, job.pyramid.m_nTotalTiles + 1);
    // The window hears every event as it happens, but the tiles' only as counts.
    EXPECT_EQ(told, (std::vector<JobEvent::Kind>{JobEvent::Kind::Started, JobEvent::Kind::Publishing}));
    EXPECT_TRUE(std::filesystem::exists(out + "/photo/ImageKerfel.xml"));

    // The folder exists now: the window is asked, and No leaves it alone.
    ended.reset();
    answer = false;
    jobs.Start(job, Window());
    ASSERT_TRUE(Drain([&] { return ended.has_value(); }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ended->end, JobEnd::Declined);
}

TEST_F(JobControllerThreads, AStopWhileTheWorkerWaitsForAnAnswerEndsTheWaitWithoutTheWindow) {
    std::filesystem::create_directories(out + "/photo");
    jobs.Start(job, Window());
    // The question is queued but never answered: the stop alone must free the worker.
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::lock_guard<std::mutex> hold(lock);
        if (!queue.empty()) break;
    }
    jobs.RequestCancel();
    ASSERT_TRUE(Drain([&] { return ended.has_value(); }));
    EXPECT_EQ(ended->end, JobEnd::Declined);  // an unanswered question keeps the folder as it is
    EXPECT_EQ(asked, 0);
}

TEST_F(JobControllerThreads, DestroyingTheControllerStopsAndJoinsARunningJob) {
    auto own = std::make_unique<JobController>([](std::function<void()>) {});  // a window that never runs anything
    own->Start(job, Window());
    own.reset();  // must neither hang nor leave a thread behind
    for (const std::string& name : gentest::Names(out + "/photo/Images"))
        EXPECT_NE(name[0], '.') << "a temporary was left: " << name;
}
