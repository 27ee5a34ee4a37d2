#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_run.h"
#include "publish/archive_name.h"
#include "publish/export_job.h"
#include "publish/music_copy.h"
#include "zipper_check.h"

namespace fs = std::filesystem;
using ziptest::Quote;
using ziptest::ReadFile;
using ziptest::WriteFile;

namespace {

struct ExportFixture : ::testing::Test {
    ziptest::TempFolder tmp;
    std::string out, job;
    void SetUp() override {
        out = tmp.path + "/out";
        job = out + "/my.photo";
        WriteFile(job + "/ImageKerfel.xml", "<Images/>");
        WriteFile(job + "/Images/0-0-0.jpg", "tile");
    }
    int Cli(const std::string& args) {
        return ziptest::Run(std::string(KERFEL_BINARY) + " export " + args).rc;
    }
};

}  // namespace

TEST(ArchiveName, IsTheImageNameLessItsLastExtension) {
    EXPECT_EQ(kerfel::ProposedArchiveName("/home/ann/my.photo.jpg"), "my.photo.zip");
    EXPECT_EQ(kerfel::ProposedArchiveName("/home/ann/photo"), "photo.zip");
    EXPECT_EQ(kerfel::ProposedArchiveName("/home/ann.b/photo"), "photo.zip");
    EXPECT_EQ(kerfel::ProposedArchiveName("relative.JPEG"), "relative.zip");
}

TEST_F(ExportFixture, MusicStepCopiesReplacesAndRemovesTheJobsCopy) {
    const std::string copy = job + "/bgmusic.mp3";
    WriteFile(tmp.path + "/song.mp3", "first song");
    ASSERT_TRUE(kerfel::RefreshMusicCopy(tmp.path + "/song.mp3", job).ok());
    EXPECT_EQ(ReadFile(copy), "first song");
    WriteFile(tmp.path + "/other.mp3", "second");
    ASSERT_TRUE(kerfel::RefreshMusicCopy(tmp.path + "/other.mp3", job).ok());
    EXPECT_EQ(ReadFile(copy), "second");
    // The job's own copy chosen as the music: it stays as it is.
    ASSERT_TRUE(kerfel::RefreshMusicCopy(copy, job).ok());
    EXPECT_EQ(ReadFile(copy), "second");
    // A missing music file: reported by name, the earlier copy untouched.
    kerfel::Status missing = kerfel::RefreshMusicCopy(tmp.path + "/gone.mp3", job);
    EXPECT_EQ(missing.fault, kerfel::Fault::BadInput);
    EXPECT_NE(missing.message.find("gone.mp3"), std::string::npos);
    EXPECT_FALSE(kerfel::RefreshMusicCopy(tmp.path, job).ok());  // a folder is no music
    EXPECT_EQ(ReadFile(copy), "second");
    // No music: the copy goes; a copy that is already gone is no error.
    ASSERT_TRUE(kerfel::RefreshMusicCopy("", job).ok());
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_TRUE(kerfel::RefreshMusicCopy("", job).ok());
    EXPECT_FALSE(kerfel::RefreshMusicCopy(tmp.path + "/song.mp3", tmp.path + "/no-job").ok());
    for (auto& e : fs::directory_iterator(job)) EXPECT_NE(e.path().filename().string()[0], '.');
}

TEST_F(ExportFixture, PacksTheJobUnderItsNameAndRefusesWhatWouldBeWrong) {
    kerfel::ExportRequest request{job, tmp.path + "/a.zip", out, nullptr};
    ASSERT_TRUE(kerfel::ExportJob(request).ok());
    auto r = ziptest::CheckArchive(request.archive);
    ASSERT_TRUE(r.AllOk()) << r.details;
    EXPECT_EQ(r.names.front(), "my.photo/");
    EXPECT_EQ(r.names.size(), 4u);

    // The default root is the job folder's parent, also for a relative path with a trailing "/".
    kerfel::ExportRequest relative{fs::relative(job).string() + "/", tmp.path + "/b.zip", "", nullptr};
    ASSERT_TRUE(kerfel::ExportJob(relative).ok());
    EXPECT_EQ(ziptest::CheckArchive(relative.archive).names.front(), "my.photo/");

    // A root above the output folder: the names grow by the folders in between.
    kerfel::ExportRequest above{job, tmp.path + "/c.zip", tmp.path, nullptr};
    ASSERT_TRUE(kerfel::ExportJob(above).ok());
    EXPECT_EQ(ziptest::CheckArchive(above.archive).names.front(), "out/my.photo/");

    // A root that does not hold the job would give an empty archive: refused, nothing written.
    kerfel::ExportRequest outside{job, tmp.path + "/d.zip", tmp.path + "/elsewhere", nullptr};
    kerfel::Status s = kerfel::ExportJob(outside);
    EXPECT_EQ(s.fault, kerfel::Fault::BadInput);
    EXPECT_FALSE(fs::exists(outside.archive));

    kerfel::ExportRequest noJob{tmp.path + "/nothing", tmp.path + "/e.zip", "", nullptr};
    EXPECT_EQ(kerfel::ExportJob(noJob).fault, kerfel::Fault::BadInput);

    // An archive folder that cannot be written: the reason names the archive.
    kerfel::ExportRequest unwritable{job, "/proc/kerfel-test/x.zip", "", nullptr};
    s = kerfel::ExportJob(unwritable);
    EXPECT_EQ(s.fault, kerfel::Fault::OutputFailed);
    EXPECT_NE(s.message.find("/proc/kerfel-test/x.zip"), std::string::npos);
}

TEST_F(ExportFixture, CommandLineExitStatusesAndOverwrite) {
    const std::string archive = tmp.path + "/job.zip";
    EXPECT_EQ(Cli(""), 1);
    EXPECT_EQ(Cli(Quote(job)), 1);
    EXPECT_EQ(Cli(Quote(job) + " " + Quote(archive) + " --bogus"), 1);
    EXPECT_EQ(Cli(Quote(tmp.path + "/missing") + " " + Quote(archive)), 2);
    EXPECT_EQ(Cli(Quote(job) + " " + Quote(archive) + " --root " + Quote(tmp.path + "/elsewhere")), 2);
    EXPECT_FALSE(fs::exists(archive));

    ASSERT_EQ(Cli(Quote(job) + " " + Quote(archive)), 0);
    EXPECT_EQ(ziptest::CheckArchive(archive).names.front(), "my.photo/");
    WriteFile(job + "/extra.txt", "new");
    EXPECT_EQ(Cli(Quote(job) + " " + Quote(archive)), 3);  // exists
    EXPECT_EQ(ziptest::CheckArchive(archive).names.size(), 4u);
    ASSERT_EQ(Cli(Quote(job) + " " + Quote(archive) + " --overwrite --root " + Quote(tmp.path)), 0);
    auto r = ziptest::CheckArchive(archive);
    ASSERT_TRUE(r.AllOk()) << r.details;
    EXPECT_EQ(r.names.front(), "out/my.photo/");
    EXPECT_EQ(r.names.size(), 5u);
}

TEST_F(ExportFixture, CommandLineErrorsAreOneLineWhateverTheNames) {
    const std::string odd = tmp.path + "/two\nlines";
    const std::vector<std::vector<std::string>> cases = {
        {"export", odd, tmp.path + "/a.zip"},  // no such job folder
        {"export", job, odd + "/a.zip"},       // the archive cannot be written
    };
    for (const auto& args : cases) {
        clitest::Result r = clitest::Run(args);
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find("two\\nlines"), std::string::npos) << r.err;
    }
}

TEST_F(ExportFixture, AWriteFailureMidwayKeepsThePreviousArchive) {
    // Big enough to cross a 64 KiB file-size limit while it is packed.
    std::string noise;
    unsigned x = 12345;
    for (int i = 0; i < 400000; ++i) noise += char((x = x * 1103515245 + 12345) >> 16);
    WriteFile(job + "/Images/big.jpg", noise);
    const std::string archive = tmp.path + "/job.zip";
    WriteFile(archive, "previous archive");
    auto r = ziptest::Run("bash -c " + Quote("trap '' XFSZ; ulimit -f 64; exec " + std::string(KERFEL_BINARY) +
                                             " export " + Quote(job) + " " + Quote(archive) + " --overwrite"));
    EXPECT_EQ(r.rc, 3) << r.out;
    EXPECT_NE(r.out.find(archive), std::string::npos) << r.out;
    EXPECT_EQ(ReadFile(archive), "previous archive");
    for (auto& e : fs::directory_iterator(tmp.path)) EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}
