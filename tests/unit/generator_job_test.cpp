#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <new>
#include <tuple>
#include <sstream>
#include <system_error>

#include "app/job_runner.h"
#include "engine/generator.h"
#include "engine/source_image.h"
#include "generator_test_util.h"
#include "i18n/message_box_flags.h"

using namespace kerfel;

namespace {

using gentest::ReadAll;

// Where a tile comes in the order the job writes: strip by strip, a level's
// strip before the strips of smaller levels it completes (the strip of a
// level ends at source row 256 * (row + 1) * 2^(n-1-level), or the bottom),
// columns left to right within a strip.
std::tuple<long, int, int> WriteOrder(const std::string& name) {
    int level = 0, column = 0, row = 0;
    std::sscanf(name.c_str(), "%d-%d-%d", &level, &column, &row);
    const long end = std::min(256L * (row + 1) << (3 - level), 800L);
    return {end, -level, column};
}

// Every case runs on both paths: one thread, and files written (and the next
// level made) beside the encoding.
struct GeneratorJobTest : ::testing::TestWithParam<bool> {
    std::string dir, out, source;
    GeneratorJob job;
    std::vector<std::string> order;  // tile files in the order they appeared
    int asked = 0, answer = IDYES, done = 0;
    std::string music;
    bool trackOrder = true;  // only meaningful in a fresh folder

    void SetUp() override {
        dir = gentest::TempFolder();
        out = dir + "/out";
        std::filesystem::create_directory(out);
        source = dir + "/photo.jpg";
        gentest::WriteJpeg(source, gentest::Gradient(1000, 800));
        music = dir + "/song.mp3";
        std::ofstream(music) << "ID3";
        job = {source, out, TilePyramid::Build(NativeLayout(), 1000, 800)};
        job.oneThread = GetParam();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string Images() const { return out + "/photo/Images"; }

    JobEvents Events(int cancelAfter = -1) {
        JobEvents h;
        done = 0;
        h.tell = [this](const JobEvent& e) {
            if (e.kind != JobEvent::Kind::TileWritten) return;
            done = e.done;
            EXPECT_EQ(e.total, job.pyramid.m_nTotalTiles);
            if (!trackOrder) return;
            // The names new since the last tile: one on one thread; with a
            // writer thread it may be ahead, but a tile is never reported
            // before it is on disk. A hidden name is a tile being written.
            std::vector<std::string> fresh;
            for (const std::string& n : gentest::Names(Images()))
                if (n[0] != '.' && std::find(order.begin(), order.end(), n) == order.end()) fresh.push_back(n);
            std::sort(fresh.begin(), fresh.end(),
                      [](const std::string& a, const std::string& b) { return WriteOrder(a) < WriteOrder(b); });
            order.insert(order.end(), fresh.begin(), fresh.end());
            if (job.oneThread) {
                EXPECT_EQ(static_cast<int>(order.size()), done);
            }
            EXPECT_GE(static_cast<int>(order.size()), done);
        };
        h.stopRequested = [this, cancelAfter] { return cancelAfter >= 0 && done >= cancelAfter; };
        h.mayWriteInto = [this](const std::string&) {
            ++asked;
            return answer == IDYES;
        };
        return h;
    }
    PublishingSource Publishing() {
        return [this] {
            JobPublishing p{DescribePyramid(job.pyramid, 2), music};
            p.values.showNav = p.values.clickToZoom = true;
            return std::optional<JobPublishing>(p);
        };
    }
    JobResult Run(const JobEvents& events) { return RunJob(job, events, Publishing()); }
};

TEST_P(GeneratorJobTest, ThousandByEightHundredWritesTwentyTwoTilesInOrderAndTheDescriptor) {
    JobResult r = Run(Events());
    ASSERT_EQ(r.end, JobEnd::Finished) << r.status.message;
    EXPECT_EQ(r.jobFolder, out + "/photo");
    EXPECT_EQ(r.tilesWritten, 22);
    EXPECT_EQ(asked, 0);

    // Sizes of every tile as the level table and the 256-pixel grid give them.
    struct Expect { const char* name; unsigned w, h; };
    const Expect tiles[] = {
        {"3-0-0.jpg", 256, 256}, {"3-0-3.jpg", 256, 32},  {"3-3-0.jpg", 232, 256}, {"3-3-3.jpg", 232, 32},
        {"3-2-1.jpg", 256, 256}, {"2-0-0.jpg", 256, 256}, {"2-1-0.jpg", 244, 256}, {"2-0-1.jpg", 256, 144},
        {"2-1-1.jpg", 244, 144}, {"1-0-0.jpg", 250, 200}, {"0-0-0.jpg", 125, 100},
    };
    for (const Expect& t : tiles) {
        SourceInfo info;
        ASSERT_TRUE(InspectSource(Images() + "/" + t.name, info).ok()) << t.name;
        EXPECT_EQ(info.width, t.w) << t.name;
        EXPECT_EQ(info.height, t.h) << t.name;
    }
    std::set<std::string> expected;
    auto name = [](int level, int c, int row) {
        return std::to_string(level) + "-" + std::to_string(c) + "-" + std::to_string(row) + ".jpg";
    };
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) expected.insert(name(3, c, row));
    for (int c = 0; c < 2; ++c)
        for (int row = 0; row < 2; ++row) expected.insert(name(2, c, row));
    expected.insert("1-0-0.jpg");
    expected.insert("0-0-0.jpg");
    EXPECT_EQ(gentest::Names(Images()), expected);

    // Strip by strip: the first strip of level 3, then its second, which
    // completes the first strip of level 2; the last strip of level 3
    // completes every smaller level.
    // Encoders on several threads finish in any order; they are reported in
    // this one, but may appear on disk in another.
    ASSERT_GE(order.size(), 5u);
    if (job.oneThread) {
        EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 5),
                  (std::vector<std::string>{"3-0-0.jpg", "3-1-0.jpg", "3-2-0.jpg", "3-3-0.jpg", "3-0-1.jpg"}));
        EXPECT_EQ(order[8], "2-0-0.jpg");
        EXPECT_EQ(order[17], "3-3-3.jpg");
        EXPECT_EQ(order.back(), "0-0-0.jpg");
    }

    EXPECT_EQ(ReadAll(out + "/photo/ImageKerfel.xml"),
              "<Images Width=\"1000\" Height=\"800\" Tiles=\"22\" Copyright=\"(c) Lorvak Image Kerfel\" "
              "viewHeight=\"400\" viewWidth=\"500\" showNav=\"1\" showSlider=\"0\" showpanButtons=\"0\" "
              "clicktoLorvak=\"1\" soundURL=\"bgmusic.mp3\"/>");
    EXPECT_EQ(gentest::Names(out + "/photo").count("ImageKerfel.xml"), 1u);
}

TEST_P(GeneratorJobTest, ASecondRunAsksNoLeavesTheFolderAndYesOverwritesInPlace) {
    ASSERT_EQ(Run(Events()).end, JobEnd::Finished);
    trackOrder = false;
    std::ofstream(out + "/photo/notes.txt") << "mine";
    const std::string xml = ReadAll(out + "/photo/ImageKerfel.xml");

    answer = IDNO;
    bool started = false;
    JobEvents h = Events();
    h.tell = [&](const JobEvent& e) { started = started || e.kind == JobEvent::Kind::Started; };
    std::filesystem::remove(Images() + "/0-0-0.jpg");
    JobResult r = Run(h);
    EXPECT_EQ(r.end, JobEnd::Declined);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(started);
    EXPECT_EQ(gentest::Names(Images()).size(), 21u);  // nothing written, nothing removed

    answer = 0;  // a box closed without an answer keeps the files too
    EXPECT_EQ(Run(Events()).end, JobEnd::Declined);

    answer = IDYES;
    gentest::WriteJpeg(source, gentest::Gradient(1000, 800));
    r = Run(Events());
    ASSERT_EQ(r.end, JobEnd::Finished);
    EXPECT_EQ(gentest::Names(Images()).size(), 22u);  // no hidden temporary left beside the tiles
    EXPECT_EQ(ReadAll(out + "/photo/notes.txt"), "mine");
    EXPECT_EQ(ReadAll(out + "/photo/ImageKerfel.xml"), xml);
}

TEST_P(GeneratorJobTest, CancelKeepsTheTilesWrittenAndWritesNoDescriptor) {
    JobResult r = Run(Events(3));
    EXPECT_EQ(r.end, JobEnd::Cancelled);
    if (job.oneThread) {
        EXPECT_EQ(r.tilesWritten, 3);
        EXPECT_EQ(gentest::Names(Images()), (std::set<std::string>{"3-0-0.jpg", "3-1-0.jpg", "3-2-0.jpg"}));
    } else {
        // Tiles queued for the writer when the stop came are dropped; the
        // count is exact and what is on disk is the start of the job, whole.
        EXPECT_GE(r.tilesWritten, 3);
        EXPECT_LT(r.tilesWritten, 22);
        std::set<std::string> first(order.begin(), order.begin() + r.tilesWritten);
        EXPECT_EQ(gentest::Names(Images()), first);
        for (const std::string& n : first) {
            SourceInfo info;
            EXPECT_TRUE(InspectSource(Images() + "/" + n, info).ok()) << n;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(out + "/photo/ImageKerfel.xml"));

    // A stop asked for while the descriptor's values are gathered also ends
    // the job without a descriptor.
    trackOrder = false;
    EXPECT_EQ(RunJob(job, Events(), [] { return std::optional<JobPublishing>(); }).end, JobEnd::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(out + "/photo/ImageKerfel.xml"));
}

TEST_P(GeneratorJobTest, FailuresStopTheJobAndNameTheFileAndTheReason) {
    trackOrder = false;
    // Missing output folder.
    GeneratorJob missing = job;
    missing.outputFolder = dir + "/gone";
    JobResult r = RunJob(missing, Events(), Publishing());
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_EQ(r.status.fault, Fault::OutputFailed);
    EXPECT_NE(r.status.message.find(dir + "/gone/photo"), std::string::npos) << r.status.message;
    EXPECT_NE(r.status.message.find("No such file"), std::string::npos) << r.status.message;

    // A file where the tiles' folder belongs.
    std::filesystem::create_directories(out + "/photo");
    std::ofstream(out + "/photo/Images") << "x";
    r = Run(Events());
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_NE(r.status.message.find("photo/Images: exists and is not a folder"), std::string::npos) << r.status.message;
    std::filesystem::remove(out + "/photo/Images");

    // A tile that cannot be written stops the job at that tile.
    std::filesystem::create_directories(Images() + "/3-0-2.jpg");
    r = Run(Events());
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_EQ(r.status.fault, Fault::OutputFailed);
    EXPECT_NE(r.status.message.find("Images/3-0-2.jpg"), std::string::npos) << r.status.message;
    EXPECT_EQ(r.tilesWritten, 10);  // two strips of level 3 and the first of level 2 come before it
    EXPECT_FALSE(std::filesystem::exists(out + "/photo/ImageKerfel.xml"));
    std::filesystem::remove(Images() + "/3-0-2.jpg");

    // A write that fails half way (as on a full disk): no partial tile is
    // left, under its name or a temporary one.
    std::filesystem::remove_all(Images());
    struct rlimit old;
    ::getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 512;
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    r = Run(Events());
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_NE(r.status.message.find("Images/3-0-0.jpg: File too large"), std::string::npos) << r.status.message;
    EXPECT_TRUE(gentest::Names(Images()).empty());

    // A descriptor that cannot be written fails the job after the tiles.
    std::filesystem::create_directories(out + "/photo/ImageKerfel.xml");
    r = Run(Events());
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_NE(r.status.message.find("ImageKerfel.xml"), std::string::npos) << r.status.message;
    EXPECT_EQ(r.tilesWritten, 22);
}

TEST_P(GeneratorJobTest, ASourceThatIsBrokenOrNoLongerMatchesTheTableIsRefused) {
    trackOrder = false;
    const std::string good = ReadAll(source);
    std::ofstream(source, std::ios::trunc) << "not a picture";
    JobResult r = Run(Events());
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_EQ(r.status.fault, Fault::BadInput);
    EXPECT_NE(r.status.message.find(source), std::string::npos) << r.status.message;
    EXPECT_FALSE(std::filesystem::exists(out + "/photo"));

    // A sound header over data cut short fails where decoding meets the
    // cut, after the folders are made. Cut before the first strip is whole,
    // no tile is written and they go again, so the next run is not asked
    // about a job folder that holds nothing.
    std::ofstream(source, std::ios::binary | std::ios::trunc) << good.substr(0, good.size() / 10);
    SourceInfo info;
    ASSERT_TRUE(InspectSource(source, info).ok());
    r = Run(Events());
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_NE(r.status.message.find(": the JPEG data is damaged from row "), std::string::npos) << r.status.message;
    EXPECT_TRUE(gentest::Names(out).empty());
    std::ofstream(source, std::ios::binary | std::ios::trunc) << good;
    EXPECT_EQ(Run(Events()).end, JobEnd::Finished);
    EXPECT_EQ(asked, 0);

    // A path typed after the table was made, pointing at another picture.
    // The job folder was there before this run: it stays, holding what it held.
    std::filesystem::remove_all(out + "/photo");
    std::filesystem::create_directory(out + "/photo");
    gentest::WriteJpeg(source, gentest::Gradient(600, 500));
    r = Run(Events());
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_EQ(r.status.fault, Fault::BadInput);
    EXPECT_NE(r.status.message.find("600 x 500"), std::string::npos) << r.status.message;
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(std::filesystem::is_directory(out + "/photo"));
    EXPECT_TRUE(gentest::Names(out + "/photo").empty());
}

// Memory or threads running out end the job as failed, never the tool: the
// hooks run inside the job, so a failure thrown from one stands for the
// same failure inside the level maker, the encoder or the tile writer.
TEST_P(GeneratorJobTest, RunningOutOfMemoryOrThreadsFailsTheJobInsteadOfEndingTheTool) {
    trackOrder = false;
    auto failOnFirstTile = [this](auto failure) {
        JobEvents h = Events();
        auto told = std::make_shared<int>(0);
        h.tell = [failure, told](const JobEvent&) {
            if (++*told == 2) throw failure;  // the first tile's, after the start of writing
        };
        return Run(h);
    };
    JobResult r = failOnFirstTile(std::bad_alloc());
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_EQ(r.status.fault, Fault::OutputFailed);
    EXPECT_EQ(r.status.message, source + ": not enough memory for a 1000 x 800 level");
    EXPECT_TRUE(gentest::Names(out).empty());  // failed before its first tile: no folders left

    r = failOnFirstTile(std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again)));
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_EQ(r.status.fault, Fault::OutputFailed);
    EXPECT_EQ(r.status.message.rfind(source + ": cannot start a thread for the job (", 0), 0u) << r.status.message;
    EXPECT_TRUE(gentest::Names(out).empty());

    // After some tiles the job folder stays with them, whole, and without a descriptor.
    JobEvents h = Events();
    h.tell = [](const JobEvent& e) {
        if (e.kind == JobEvent::Kind::TileWritten && e.done == 3) throw std::bad_alloc();
    };
    r = Run(h);
    EXPECT_EQ(r.end, JobEnd::Failed);
    // With a writer thread the third tile may be reported while the next level is cut.
    EXPECT_TRUE(r.status.message == source + ": not enough memory for a 1000 x 800 level" ||
                (!job.oneThread && r.status.message == source + ": not enough memory for a 500 x 400 level"))
        << r.status.message;
    const std::set<std::string> tiles = gentest::Names(Images());
    EXPECT_GE(tiles.size(), 3u);
    for (const std::string& n : tiles) {
        SourceInfo info;
        EXPECT_TRUE(n[0] != '.' && InspectSource(Images() + "/" + n, info).ok()) << n;
    }
    EXPECT_FALSE(std::filesystem::exists(out + "/photo/ImageKerfel.xml"));

    // After the last tile no level is to blame.
    r = RunJob(job, Events(), []() -> std::optional<JobPublishing> { throw std::bad_alloc(); });
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_EQ(r.status.message, source + ": not enough memory");
    EXPECT_EQ(r.tilesWritten, 22);
}

INSTANTIATE_TEST_SUITE_P(Paths, GeneratorJobTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "OneThread" : "WriterThread"; });

TEST(GeneratorTable, NarrowPicturesWhoseLevelsLoseASideAreRefusedUpFront) {
    EXPECT_TRUE(CheckPyramid(TilePyramid::Build(NativeLayout(), 1000, 800)).ok());
    EXPECT_TRUE(CheckPyramid(TilePyramid::Build(NativeLayout(), 3, 196)).ok());  // 1 x 98 still has pixels
    Status s = CheckPyramid(TilePyramid::Build(NativeLayout(), 1, 3000));
    EXPECT_EQ(s.fault, Fault::BadInput);
    EXPECT_NE(s.message.find("0 x 1500"), std::string::npos) << s.message;
    EXPECT_FALSE(CheckPyramid(TilePyramid::Build(NativeLayout(), 30000, 200)).ok());
    EXPECT_FALSE(CheckPyramid(TilePyramid{}).ok());
    // A table the strips cannot halve into: a level that is not the next one's half.
    TilePyramid odd = TilePyramid::Build(NativeLayout(), 1000, 800);
    odd.m_arrLevelWidth[1] = 251;
    EXPECT_FALSE(CheckPyramid(odd).ok());
    // Tiles overlap their neighbours by less than a tile, or a strip could not hold them.
    Layout overlapping = NativeLayout();
    overlapping.overlap = 255;
    EXPECT_TRUE(CheckPyramid(TilePyramid::Build(overlapping, 1000, 800)).ok());
    overlapping.overlap = 256;
    s = CheckPyramid(TilePyramid::Build(overlapping, 1000, 800));
    EXPECT_NE(s.message.find("overlap 256"), std::string::npos) << s.message;

    GeneratorJob job{"/nowhere/strip.jpg", "/tmp", TilePyramid::Build(NativeLayout(), 1, 3000)};
    JobResult r = RunJob(job, {});
    EXPECT_EQ(r.end, JobEnd::Failed);
    EXPECT_NE(r.status.message.find("/nowhere/strip.jpg"), std::string::npos);
}

TEST(GeneratorNames, JobFolderAndTileNames) {
    EXPECT_EQ(JobName("/pics/photo.jpg"), "photo");
    EXPECT_EQ(JobName("/pics/my.holiday.photo.JPEG"), "my.holiday.photo");
    EXPECT_EQ(JobName("/pics.d/noext"), "noext");
    EXPECT_EQ(JobName("/pics/.jpg"), ".jpg");
    EXPECT_EQ(JobFolderFor("/out", "/pics/photo.jpg"), "/out/photo");
    EXPECT_EQ(JobFolderFor("/out/", "/pics/photo.jpg"), "/out/photo");
    EXPECT_EQ(JobFolderFor("/", "photo.jpg"), "/photo");
}

}  // namespace
