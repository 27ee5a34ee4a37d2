// A job made into a folder an earlier job used: nothing of the earlier job
// may pass for part of the new one, and one folder takes one job at a time.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "app/job_runner.h"
#include "base/folder_lock.h"
#include "cli_run.h"
#include "engine/layout.h"
#include "engine/source_image.h"
#include "generator_test_util.h"

namespace fs = std::filesystem;
using namespace kerfel;

namespace {

struct JobRerun : ::testing::Test {
    std::string dir = gentest::TempFolder(), out = dir + "/out", job = out + "/photo";
    void SetUp() override { fs::create_directory(out); }
    void TearDown() override { fs::remove_all(dir); }

    std::string Picture(const std::string& name, unsigned w, unsigned h) {
        const std::string path = dir + "/" + name + "/photo.jpg";
        fs::create_directories(dir + "/" + name);
        gentest::WriteJpeg(path, gentest::Gradient(w, h));
        return path;
    }
    clitest::Result Make(const std::string& picture, const std::string& into, const std::string& layout = "kerfel") {
        return clitest::Run({"make", picture, into, "--overwrite", "--quiet", "--layout", layout});
    }
    clitest::Result Make(const std::string& picture) { return Make(picture, out); }
    size_t Tiles() const { return gentest::Names(job + "/Images").size(); }
};

}  // namespace

TEST_F(JobRerun, ASmallerPictureLeavesOnlyItsOwnTilesAndAStopLeavesNoDescriptor) {
    ASSERT_EQ(Make(Picture("large", 3000, 2000)).status, 0);
    const size_t large = Tiles();
    std::ofstream(job + "/notes.txt") << "mine";  // what the user put there stays
    fs::create_directory(job + "/Images/mine");

    ASSERT_EQ(Make(Picture("small", 1000, 800)).status, 0);
    EXPECT_EQ(Tiles(), 22u + 1);  // the 1000 x 800 table's tiles, and the user's folder
    EXPECT_LT(Tiles(), large);
    EXPECT_NE(gentest::ReadAll(job + "/ImageKerfel.xml").find("Width=\"1000\""), std::string::npos);
    EXPECT_EQ(gentest::ReadAll(job + "/notes.txt"), "mine");

    // Stopped after its first tile, a rerun of the large picture leaves no
    // descriptor and no viewer page over the mix of tiles.
    const std::string large2 = Picture("large", 3000, 2000);
    SourceInfo info;
    ASSERT_TRUE(InspectSource(large2, info).ok());
    GeneratorJob rerun{large2, out, TilePyramid::Build(NativeLayout(), info.width, info.height)};
    bool written = false;
    JobEvents events;
    events.tell = [&](const JobEvent& e) { written = written || e.kind == JobEvent::Kind::TileWritten; };
    events.stopRequested = [&] { return written; };
    auto publishing = [] { return std::optional<JobPublishing>(JobPublishing{}); };
    EXPECT_EQ(RunJob(rerun, events, publishing).end, JobEnd::Cancelled);
    EXPECT_FALSE(fs::exists(job + "/ImageKerfel.xml"));
    EXPECT_FALSE(fs::exists(job + "/index.html"));
}

// Every file below a job folder, by its path there.
std::set<std::string> Files(const std::string& folder) {
    std::set<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (!e.is_directory()) files.insert(e.path().lexically_relative(folder).string());
    return files;
}

// Over a larger picture's job of another layout, a job holds exactly the
// files it holds when made afresh.
TEST_F(JobRerun, AJobOverAnotherLayoutsLargerJobHoldsOnlyItsOwnFiles) {
    const std::string large = Picture("large", 2100, 1300), small = Picture("small", 700, 500);
    const auto& all = Layouts();
    for (size_t i = 0; i < all.size(); ++i) {
        const std::string second = all[(i + 1) % all.size()]->name, fresh = dir + "/fresh-" + second;
        fs::create_directory(fresh);
        ASSERT_EQ(Make(large, out, all[i]->name).status, 0) << all[i]->name;
        ASSERT_EQ(Make(small, out, second).status, 0) << second;
        ASSERT_EQ(Make(small, fresh, second).status, 0) << second;
        EXPECT_EQ(Files(job), Files(fresh + "/photo")) << all[i]->name << " then " << second;
    }
}

TEST_F(JobRerun, ABusyFolderIsRefusedAndAFailedViewerLeavesNoDescriptor) {
    const std::string picture = Picture("one", 1000, 800);
    ASSERT_EQ(Make(picture).status, 0);
    {
        FolderLock held(job);  // another job writing into it
        clitest::Result second = Make(picture);
        EXPECT_NE(second.status, 0);
        EXPECT_EQ(second.err, "kerfel: " + job + ": another job is writing into this folder\n");
        EXPECT_TRUE(fs::exists(job + "/ImageKerfel.xml"));  // the other job's folder is left alone
    }
    // The viewer's assets cannot be written: the job fails with no descriptor.
    fs::remove_all(job + "/viewer");
    std::ofstream(job + "/viewer") << "in the way";
    clitest::Result failed = Make(picture);
    EXPECT_NE(failed.status, 0);
    EXPECT_FALSE(fs::exists(job + "/ImageKerfel.xml")) << failed.err;
    fs::remove(job + "/viewer");
    EXPECT_EQ(Make(picture).status, 0);
    EXPECT_TRUE(fs::exists(job + "/ImageKerfel.xml"));
}

// Only an archive file is replaced: a pipe or a device at the archive's path
// stays what it is, for export and for make --zip alike.
TEST_F(JobRerun, AnArchivePathThatIsNoFileIsNeverReplaced) {
    const std::string picture = Picture("one", 600, 400);
    ASSERT_EQ(Make(picture).status, 0);
    const std::string pipe = dir + "/pipe.zip";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"export", job, pipe, "--overwrite"},
          std::vector<std::string>{"make", picture, out, "--zip", pipe, "--overwrite", "--quiet"}}) {
        clitest::Result r = clitest::Run(args);
        EXPECT_EQ(r.status, 3) << args[0];
        EXPECT_NE(r.err.find(pipe + ": not a regular file"), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_fifo(pipe));
    }
}
