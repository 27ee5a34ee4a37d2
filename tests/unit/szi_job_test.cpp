// A job written as one archive (`kerfel make --szi`): exactly the job
// folder of the same job, in every layout, that every unpacker reads; on
// standard output alone, and a reader that goes away or a full disk fail it
// with the archive named; a job stopped, killed or refused leaves no archive
// under its name.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "app/job_runner.h"
#include "cli_run.h"
#include "generator_test_util.h"
#include "zipper_check.h"

namespace {

namespace fs = std::filesystem;
using namespace kerfel;

// Every file and folder below `folder`, folders ending in "/", as an
// archive names them.
std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    const fs::path root = fs::path(folder).parent_path();
    names.push_back(fs::path(folder).filename().string() + "/");
    for (const auto& e : fs::recursive_directory_iterator(folder))
        names.push_back(e.path().lexically_relative(root).string() + (e.is_directory() ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Names starting with a full stop: what a killed or failed writer leaves.
int HiddenFiles(const std::string& folder) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder)) n += e.path().filename().string()[0] == '.';
    return n;
}

// As a shell script with `set -o pipefail` runs it: the status of whatever failed.
ziptest::CommandResult Pipeline(const std::string& line) {
    return ziptest::Run("bash -c " + ziptest::Quote("set -o pipefail; " + line));
}

struct SziJob : ::testing::Test {
    std::string dir, photo;
    void SetUp() override {
        dir = gentest::TempFolder();
        photo = dir + "/photo.jpg";
        gentest::WriteJpeg(photo, gentest::Gradient(700, 500));
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Make(const std::string& out, std::vector<std::string> extra) {
        fs::create_directories(out);
        std::vector<std::string> args = {"make", photo, out, "--quiet", "--small-map", "--music", photo};
        args.insert(args.end(), extra.begin(), extra.end());
        const clitest::Result r = clitest::Run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.err;
    }
};

TEST_F(SziJob, HoldsExactlyTheJobFolderInEveryLayout) {
    for (const char* layout : {"kerfel", "dzi", "iiif3", "iiif2"}) {
        SCOPED_TRACE(layout);
        const std::string folderJob = dir + "/" + layout + "-folder", archiveJob = dir + "/" + layout + "-szi";
        Make(folderJob, {"--layout", layout});
        Make(archiveJob, {"--layout", layout, "--szi"});
        const std::string archive = archiveJob + "/photo.szi";
        const ziptest::ArchiveReport report = ziptest::CheckArchive(archive);
        EXPECT_TRUE(report.AllOk()) << report.details;
        EXPECT_EQ(Sorted(report.names), Listing(folderJob + "/photo"));
        // Beside it the page that reads it by range, and nothing half-made.
        EXPECT_EQ(gentest::Names(archiveJob), (std::set<std::string>{"index.html", "photo.szi", "viewer"}));
        EXPECT_NE(gentest::ReadAll(archiveJob + "/index.html").find("\"archive\":\"photo.szi\""), std::string::npos);
        EXPECT_TRUE(fs::is_regular_file(archiveJob + "/viewer/kerfel-archive.js"));
        // Entries are stored: the archive is the job's bytes and its headers.
        EXPECT_EQ(ziptest::Run("unzip -v " + ziptest::Quote(archive) + " | grep -c Defl").out, "0\n");
    }
    // Exporting such a job gives the archive itself.
    const clitest::Result exported = clitest::Run({"export", dir + "/dzi-szi/photo.szi", dir + "/copy.szi"});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(gentest::ReadAll(dir + "/copy.szi"), gentest::ReadAll(dir + "/dzi-szi/photo.szi"));
}

TEST_F(SziJob, GoesToStandardOutputAloneAndFailsLoudlyThere) {
    const std::string kerfel = ziptest::Quote(KERFEL_BINARY), in = ziptest::Quote(photo);
    const std::string piped = dir + "/piped.szi";
    ziptest::CommandResult r =
        Pipeline(kerfel + " make " + in + " - --layout dzi --music " + in + " | cat > " + ziptest::Quote(piped));
    ASSERT_EQ(r.rc, 0) << r.out;
    EXPECT_EQ(r.out, "") << "nothing but the archive, and no word on stderr";
    Make(dir + "/file", {"--layout", "dzi", "--szi"});
    const ziptest::ArchiveReport report = ziptest::CheckArchive(piped);
    EXPECT_TRUE(report.AllOk()) << report.details;
    EXPECT_EQ(Sorted(report.names), Sorted(ziptest::CheckArchive(dir + "/file/photo.szi").names));

    struct Case {
        const char* sink;
        const char* reason;
    } cases[] = {{"| head -c 1000 >/dev/null", "Broken pipe"}, {">/dev/full", "No space left on device"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sink);
        r = Pipeline(kerfel + " make " + in + " - --layout dzi " + c.sink);
        EXPECT_EQ(r.rc, 3);
        EXPECT_EQ(r.out, std::string("kerfel: photo.szi on standard output: ") + c.reason + "\n");
    }
    EXPECT_EQ(gentest::Names(dir), (std::set<std::string>{"file", "photo.jpg", "piped.szi"}));
}

TEST_F(SziJob, AJobStoppedKilledOrRefusedLeavesNoArchiveUnderItsName) {
    const std::string out = dir + "/out", archive = out + "/photo.szi";
    fs::create_directory(out);
    GeneratorJob job{photo, out, TilePyramid::Build(*FindLayout("dzi"), 700, 500)};
    job.oneArchive = true;
    auto stopAt = [](int tile, bool kill) {
        JobEvents events;
        auto done = std::make_shared<int>(0);
        events.tell = [done, tile, kill](const JobEvent& e) {
            if (e.kind == JobEvent::Kind::TileWritten) *done = e.done;
            if (kill && *done == tile) ::raise(SIGKILL);
        };
        events.stopRequested = [done, tile] { return *done >= tile; };
        return events;
    };
    EXPECT_EQ(RunJob(job, stopAt(5, false)).end, JobEnd::Cancelled);
    EXPECT_EQ(gentest::Names(out), std::set<std::string>{});

    // kill -9 half way, in a process of its own.
    const pid_t child = ::fork();
    if (child == 0) {
        RunJob(job, stopAt(5, true));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(gentest::Names(out), std::set<std::string>{});

    // An earlier archive stays whole until a complete one replaces it.
    ASSERT_EQ(RunJob(job, {}).end, JobEnd::Finished);
    const std::string first = gentest::ReadAll(archive);
    EXPECT_EQ(RunJob(job, stopAt(5, false)).end, JobEnd::Cancelled);
    JobEvents refuse;
    refuse.mayWriteInto = [](const std::string&) { return false; };
    EXPECT_EQ(RunJob(job, refuse).end, JobEnd::Declined);
    EXPECT_EQ(gentest::ReadAll(archive), first);
    const clitest::Result again = clitest::Run({"make", photo, out, "--layout", "dzi", "--szi"});
    EXPECT_EQ(again.status, 3);
    EXPECT_EQ(again.err, "kerfel: " + archive + ": the archive exists already (use --overwrite to replace it)\n");
    EXPECT_EQ(HiddenFiles(out), 0);
    // A folder under the archive's name is refused before the first tile.
    fs::remove(archive);
    fs::create_directory(archive);
    const clitest::Result folder = clitest::Run({"make", photo, out, "--szi", "--overwrite"});
    EXPECT_EQ(folder.status, 3);
    EXPECT_EQ(folder.err, "kerfel: " + archive + ": exists and is not a file\n");
}

}  // namespace
