// The dialog runs a job on a worker thread while the user-interface thread
// may ask it to stop or switch the language. These tests do the same without
// a window; scripts/test-sanitizers runs them under ThreadSanitizer, where any
// state the two threads share unguarded shows as a race.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/job_runner.h"
#include "engine/generator.h"
#include "engine/source_image.h"
#include "generator_test_util.h"
#include "i18n/language_table.h"
#include "base/utf8.h"

using namespace kerfel;

namespace {

std::u16string LevelText(const std::string& text) {
    return Utf8ToUtf16("KERFELDIALOG.GENERATETAILS.STATICTEXT_GMFLEVEL=" + text + "\r\n");
}

struct GeneratorThreads : ::testing::Test {
    std::string dir, out;
    GeneratorJob job;

    void SetUp() override {
        dir = gentest::TempFolder();
        out = dir + "/out";
        std::filesystem::create_directory(out);
        const std::string source = dir + "/photo.jpg";
        gentest::WriteJpeg(source, gentest::Gradient(1000, 800));
        job = {source, out, TilePyramid::Build(NativeLayout(), 1000, 800)};
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        SetLanguageTable({});
    }
    std::string Images() const { return out + "/photo/Images"; }
};

}  // namespace

TEST_F(GeneratorThreads, AStopAskedFromAnotherThreadEndsTheJobWithWholeTilesAndNoDescriptor) {
    std::atomic<int> cancel{0};
    std::promise<void> reached, go;
    std::shared_future<void> goSignal = go.get_future().share();
    JobEvents h;
    h.tell = [&](const JobEvent& e) {
        if (e.kind != JobEvent::Kind::TileWritten || e.done != 2) return;
        reached.set_value();
        goSignal.wait();
    };
    h.stopRequested = [&] { return cancel.exchange(0) != 0; };
    auto publishing = [&] { return std::optional<JobPublishing>({DescribePyramid(job.pyramid, 2), ""}); };
    JobResult r;
    std::thread worker([&] { r = RunJob(job, h, publishing); });
    reached.get_future().wait();
    cancel = 1;  // as the Cancel button does, while the worker is between tiles
    go.set_value();
    worker.join();

    EXPECT_EQ(r.end, JobEnd::Cancelled);
    EXPECT_GE(r.tilesWritten, 2);
    EXPECT_LT(r.tilesWritten, job.pyramid.m_nTotalTiles);
    const std::set<std::string> tiles = gentest::Names(Images());
    EXPECT_EQ(static_cast<int>(tiles.size()), r.tilesWritten);
    for (const std::string& t : tiles) {
        PixelBuffer pixels;
        EXPECT_TRUE(DecodeSource(Images() + "/" + t, pixels).ok()) << t;
    }
    EXPECT_FALSE(std::filesystem::exists(out + "/photo/ImageKerfel.xml"));
}

TEST_F(GeneratorThreads, ALanguageSwitchDuringAJobGivesEveryStatusLineFromOneLanguage) {
    const std::u16string english = LevelText("Generating level %d: %s");
    const std::u16string german = LevelText("Erzeuge Stufe %d: %s");
    SetLanguageTable(english);
    std::vector<std::string> lines;  // written by the worker only, read after it ends
    std::atomic<bool> finished{false};
    JobEvents h;
    h.tell = [&](const JobEvent& e) {
        if (std::optional<StatusLine> line = StatusOf(e)) lines.push_back(SayStatus(*line));
    };
    JobResult r;
    std::thread worker([&] {
        r = RunJob(job, h);
        finished = true;
    });
    for (bool flip = false; !finished; flip = !flip) {
        SetLanguageTable(flip ? english : german);
        std::this_thread::yield();
    }
    worker.join();

    ASSERT_EQ(r.end, JobEnd::Finished) << r.status.message;
    int levelLines = 0;
    for (const std::string& line : lines) {
        if (line.empty()) continue;  // texts the small table does not hold
        ++levelLines;
        const bool whole = line.rfind("Generating level ", 0) == 0 || line.rfind("Erzeuge Stufe ", 0) == 0;
        EXPECT_TRUE(whole) << line;
        EXPECT_NE(line.find(".jpg"), std::string::npos) << line;
    }
    EXPECT_GT(levelLines, 0);
}
