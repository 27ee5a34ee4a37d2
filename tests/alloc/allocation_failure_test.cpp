// Memory that runs out anywhere in a job ends it as a failure told in one
// line (status 3 on the command line), never as an abort: not on an encoder
// thread, and not when the message itself can no longer be made.
// Allocation fails on demand through this program's own operator new, which
// is why these tests are a program of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <thread>

#include "cli/cli.h"
#include "engine/generator.h"
#include "engine/layout.h"
#include "../unit/test_images.h"

namespace {

std::atomic<bool> g_othersFail{false};  // every thread but the test's
std::thread::id g_testThread;
long g_testAllocationsLeft = -1;        // then the test's own fail too; -1: no limit

bool Refused() {
    if (std::this_thread::get_id() != g_testThread) return g_othersFail.load(std::memory_order_relaxed);
    if (g_testAllocationsLeft < 0) return false;
    if (g_testAllocationsLeft == 0) return true;
    --g_testAllocationsLeft;
    return false;
}

}  // namespace

void* operator new(std::size_t size) {
    if (!Refused())
        if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

class AllocationFailure : public ::testing::Test {
protected:
    std::string dir = testimg::TempFolder();
    std::string source = testimg::Convert("-seed 2 -size 700x500 plasma:fractal -quality 80", dir + "/photo.jpg");
    void SetUp() override {
        g_testThread = std::this_thread::get_id();
        std::filesystem::create_directory(dir + "/out");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

}  // namespace

TEST_F(AllocationFailure, OnTheEncoderThreadsFailsTheJobNamingTheTile) {
    kerfel::GeneratorJob job{source, dir + "/out", kerfel::TilePyramid::Build(kerfel::NativeLayout(), 700, 500)};
    job.threads = 2;
    g_othersFail = true;
    const kerfel::JobResult r = kerfel::GenerateTiles(job, {});
    g_othersFail = false;
    EXPECT_EQ(r.end, kerfel::JobEnd::Failed);
    EXPECT_EQ(r.status.fault, kerfel::Fault::OutputFailed);
    EXPECT_NE(r.status.message.find(".jpg: not enough memory to encode it"), std::string::npos) << r.status.message;
    EXPECT_EQ(r.tilesWritten, 0);
}

// Every allocation from the n-th on fails, for n from the first to past
// the last a job makes: wherever memory runs out, one line and status 3.
TEST_F(AllocationFailure, AnywhereInMakeEndsInOneLineAndStatus3) {
    const std::vector<std::string> make = {"make", source, dir + "/out", "--quiet", "--overwrite", "--threads", "1"};
    ASSERT_EQ(kerfel::RunCommandLine(make), 0);
    g_testAllocationsLeft = 1L << 40;
    kerfel::RunCommandLine(make);
    const long needed = (1L << 40) - g_testAllocationsLeft;
    g_testAllocationsLeft = -1;
    int failures = 0;
    for (long n = 0; n <= needed; n += std::max(1L, std::min(n / 4, needed / 150))) {
        testing::internal::CaptureStderr();
        g_testAllocationsLeft = n;
        const int status = kerfel::RunCommandLine(make);
        g_testAllocationsLeft = -1;
        const std::string err = testing::internal::GetCapturedStderr();
        if (status == 0) continue;
        ++failures;
        EXPECT_EQ(status, 3) << "after " << n << " allocations: " << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << "after " << n << " allocations: " << err;
        EXPECT_EQ(err.rfind("kerfel: ", 0), 0u) << err;
    }
    EXPECT_GT(failures, 100);
}
