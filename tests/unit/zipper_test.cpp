#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <filesystem>

#include "publish/zipper.h"
#include "zipper_check.h"

namespace fs = std::filesystem;
using ziptest::CheckArchive;

using ziptest::WriteFile;

namespace {

// A job folder as a generation leaves it, plus what users put beside it.
struct JobFolder : ::testing::Test {
    ziptest::TempFolder tmp;
    std::string out, job;
    void SetUp() override {
        out = tmp.path + "/out";
        job = out + "/photo";
        WriteFile(job + "/ImageKerfel.xml", "<Images Width=\"300\"/>");
        WriteFile(job + "/Images/0-0-0.jpg", std::string(5000, 'a'));
        WriteFile(job + "/Images/1-0-0.jpg", "tile");
        WriteFile(job + "/bgmusic.mp3", std::string(3000, 'm'));
        WriteFile(job + "/.hidden", "x");
        WriteFile(job + "/.cache/inner.txt", "x");
        fs::create_directories(job + "/empty/deeper");
    }
    std::string Archive(const std::string& name = "photo.zip") const { return out + "/" + name; }
};

// Python's view of each entry: name, host, mode, DOS bits, flags, method.
std::string EntryTable(const std::string& archive) {
    return ziptest::Run("/usr/bin/python3 -c " +
               ziptest::Quote("import sys, zipfile\n"
                              "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
                              "    print(i.filename, i.create_system, oct(i.external_attr >> 16), "
                              "i.external_attr & 0xFF, i.flag_bits & 0x806, i.compress_type, i.file_size)\n") +
               " " + ziptest::Quote(archive))
        .out;
}

}  // namespace

TEST_F(JobFolder, PacksTheJobUnderItsOwnNameWithSlashNamesAndFolderEntries) {
    CZipper zipper;
    ASSERT_TRUE(zipper.OpenZip(Archive(), out));
    EXPECT_EQ(zipper.RootFolder(), out + "/");
    EXPECT_TRUE(zipper.AddFolderToZip(job));
    EXPECT_TRUE(zipper.LastError().ok()) << zipper.LastError().message;
    ASSERT_TRUE(zipper.CloseZip());
    EXPECT_EQ(zipper.RootFolder(), "");

    auto report = CheckArchive(Archive());
    ASSERT_TRUE(report.AllOk()) << report.details;
    std::set<std::string> names(report.names.begin(), report.names.end());
    EXPECT_EQ(names, (std::set<std::string>{"photo/", "photo/ImageKerfel.xml", "photo/Images/", "photo/Images/0-0-0.jpg",
                                            "photo/Images/1-0-0.jpg", "photo/bgmusic.mp3", "photo/empty/",
                                            "photo/empty/deeper/"}));
    // Depth first: a folder's entry comes before everything below it.
    auto pos = [&](const std::string& n) { return std::find(report.names.begin(), report.names.end(), n); };
    EXPECT_EQ(report.names.front(), "photo/");
    EXPECT_LT(pos("photo/Images/"), pos("photo/Images/0-0-0.jpg"));
    EXPECT_LT(pos("photo/empty/"), pos("photo/empty/deeper/"));

    // Unpacked by unzip, the tree and the bytes are the job's own.
    std::string unpacked = tmp.path + "/unpacked";
    ASSERT_EQ(ziptest::Run("unzip -q " + ziptest::Quote(Archive()) + " -d " + ziptest::Quote(unpacked)).rc, 0);
    EXPECT_EQ(ziptest::ReadFile(unpacked + "/photo/Images/0-0-0.jpg"), std::string(5000, 'a'));
    EXPECT_EQ(ziptest::ReadFile(unpacked + "/photo/bgmusic.mp3"), std::string(3000, 'm'));
    EXPECT_TRUE(fs::is_directory(unpacked + "/photo/empty/deeper"));
    EXPECT_FALSE(fs::exists(unpacked + "/photo/.hidden"));
}

TEST_F(JobFolder, EntriesCarryUnixModesUtf8FlagAndTheirCompressionLevel) {
    WriteFile(job + "/Ünïcode ä.txt", "text");
    WriteFile(job + "/SCAN.JPEG", "shout");
    WriteFile(job + "/notes.jpg.txt", "notes");
    WriteFile(job + "/old.mp3/readme", "inner");
    ::chmod((job + "/Images/1-0-0.jpg").c_str(), 0444);
    CZipper zipper;
    ASSERT_TRUE(zipper.OpenZip(Archive(), out));
    ASSERT_TRUE(zipper.AddFolderToZip(job));
    ASSERT_TRUE(zipper.CloseZip());
    ASSERT_TRUE(CheckArchive(Archive()).AllOk());
    std::string table = EntryTable(Archive());
    // name, host 3 (Unix), mode, DOS bits, UTF-8 flag + level bits, method, size
    EXPECT_NE(table.find("photo/ 3 0o40755 16 2 8 0"), std::string::npos) << table;  // folder: level 9
    // Tiles and music are compressed already: stored (method 0); the rest is deflated (8).
    EXPECT_NE(table.find("photo/Images/0-0-0.jpg 3 0o100644 32 0 0 5000"), std::string::npos) << table;
    EXPECT_NE(table.find("photo/Images/1-0-0.jpg 3 0o100444 33 0 0 4"), std::string::npos) << table;
    EXPECT_NE(table.find("photo/bgmusic.mp3 3 0o100644 32 0 0 3000"), std::string::npos) << table;
    EXPECT_NE(table.find("photo/ImageKerfel.xml 3 0o100644 32 0 8 "), std::string::npos) << table;
    EXPECT_NE(table.find("photo/SCAN.JPEG 3 0o100644 32 0 0 5"), std::string::npos) << table;
    EXPECT_NE(table.find("photo/notes.jpg.txt 3 0o100644 32 0 8 5"), std::string::npos) << table;
    EXPECT_NE(table.find("photo/old.mp3/readme 3 0o100644 32 0 8 5"), std::string::npos) << table;
    EXPECT_NE(table.find("photo/Ünïcode ä.txt 3 0o100644 32 2048 8 4"), std::string::npos) << table;
    // unzip also restores the name and the mode.
    std::string unpacked = tmp.path + "/u";
    ASSERT_EQ(ziptest::Run("unzip -q " + ziptest::Quote(Archive()) + " -d " + ziptest::Quote(unpacked)).rc, 0);
    EXPECT_TRUE(fs::exists(unpacked + "/photo/Ünïcode ä.txt"));
    EXPECT_EQ(fs::status(unpacked + "/photo/Images/0-0-0.jpg").permissions() & fs::perms::all,
              fs::perms(0644));
}

TEST_F(JobFolder, RootRulesDecideTheEntryNames) {
    {  // compared without regard to case
        CZipper zipper;
        ASSERT_TRUE(zipper.OpenZip(Archive("case.zip"), tmp.path + "/OUT"));
        EXPECT_TRUE(zipper.AddFolderToZip(out + "/photo/Images"));
        ASSERT_TRUE(zipper.CloseZip());
        auto r = CheckArchive(Archive("case.zip"));
        ASSERT_TRUE(r.AllOk()) << r.details;
        EXPECT_EQ(r.names.front(), "photo/Images/");
    }
    {  // an empty root keeps the whole path, less its leading "/"
        CZipper zipper;
        ASSERT_TRUE(zipper.OpenZip(Archive("full.zip"), std::string()));
        EXPECT_TRUE(zipper.AddFolderToZip(job + "/Images"));
        ASSERT_TRUE(zipper.CloseZip());
        auto r = CheckArchive(Archive("full.zip"));
        ASSERT_TRUE(r.AllOk()) << r.details;
        EXPECT_EQ(r.names.front(), (job + "/Images/").substr(1));
    }
    {  // no root given: the archive's own folder
        CZipper zipper;
        ASSERT_TRUE(zipper.OpenZip(Archive("own.zip")));
        EXPECT_EQ(zipper.RootFolder(), out + "/");
        EXPECT_TRUE(zipper.AddFolderToZip("photo/empty"));  // relative: below the root
        ASSERT_TRUE(zipper.CloseZip());
        auto r = CheckArchive(Archive("own.zip"));
        ASSERT_TRUE(r.AllOk()) << r.details;
        EXPECT_EQ(r.names, (std::vector<std::string>{"photo/empty/", "photo/empty/deeper/"}));
    }
}

TEST_F(JobFolder, AFolderOutsideTheRootGivesAValidArchiveWithNoEntries) {
    CZipper zipper;
    ASSERT_TRUE(zipper.OpenZip(Archive("none.zip"), tmp.path + "/elsewhere"));
    EXPECT_FALSE(zipper.AddFolderToZip(job));
    EXPECT_TRUE(zipper.CloseZip());
    auto r = CheckArchive(Archive("none.zip"));
    EXPECT_TRUE(r.pythonOk && r.bsdtarOk) << r.details;
    EXPECT_TRUE(r.names.empty());
    // unzip tests an empty archive with a warning only.
    auto u = ziptest::Run("unzip -t " + ziptest::Quote(Archive("none.zip")));
    EXPECT_NE(u.out.find("empty"), std::string::npos) << u.out;
}

TEST_F(JobFolder, SingleFilesFollowThePathRules) {
    CZipper zipper;
    EXPECT_FALSE(zipper.AddFileToZip(job + "/ImageKerfel.xml"));  // nothing open
    ASSERT_TRUE(zipper.OpenZip(Archive("files.zip"), job));
    EXPECT_TRUE(zipper.AddFileToZip("./ImageKerfel.xml"));
    EXPECT_TRUE(zipper.AddFileToZip(job + "/Images/0-0-0.jpg"));
    EXPECT_FALSE(zipper.AddFileToZip("../photo/bgmusic.mp3"));
    EXPECT_FALSE(zipper.AddFileToZip("Images/../../photo/bgmusic.mp3"));
    EXPECT_FALSE(zipper.AddFileToZip(out + "/elsewhere.txt"));  // outside the root
    EXPECT_TRUE(zipper.LastError().ok());
    EXPECT_FALSE(zipper.AddFileToZip("missing.jpg"));
    EXPECT_EQ(zipper.LastError().fault, kerfel::Fault::BadInput);
    EXPECT_NE(zipper.LastError().message.find("missing.jpg"), std::string::npos);
    ASSERT_TRUE(zipper.CloseZip());
    auto r = CheckArchive(Archive("files.zip"));
    ASSERT_TRUE(r.AllOk()) << r.details;
    EXPECT_EQ(r.names, (std::vector<std::string>{"ImageKerfel.xml", "Images/0-0-0.jpg"}));
}

TEST_F(JobFolder, LoopsPipesAndTheArchiveItselfAreNotPacked) {
    fs::create_directory_symlink("..", job + "/Images/up");   // back to the job folder
    fs::create_directory_symlink(job, job + "/self");
    ASSERT_EQ(::mkfifo((job + "/pipe").c_str(), 0644), 0);
    WriteFile(job + "/photo.zip", "an old archive");           // saved inside the job before
    CZipper zipper;
    ASSERT_TRUE(zipper.OpenZip(job + "/photo.zip", out));
    ASSERT_TRUE(zipper.AddFolderToZip(job));
    EXPECT_EQ(zipper.SkippedCount(), 3);
    ASSERT_TRUE(zipper.CloseZip());
    auto r = CheckArchive(job + "/photo.zip");
    ASSERT_TRUE(r.AllOk()) << r.details;
    for (const std::string& n : r.names) {
        EXPECT_EQ(n.find("photo.zip"), std::string::npos) << n;
        EXPECT_EQ(n.find("pipe"), std::string::npos) << n;
        EXPECT_EQ(n.find("up/"), std::string::npos) << n;
        EXPECT_EQ(n.find("self/"), std::string::npos) << n;
    }
    // Only the finished archive is left: no temporary file beside it.
    int files = 0;
    for (auto& e : fs::directory_iterator(job)) files += e.path().filename().string().find("photo.zip") != std::string::npos;
    EXPECT_EQ(files, 1);
}

TEST_F(JobFolder, LinksLeadingOutOfTheJobAreNotFollowed) {
    WriteFile(out + "/secret.txt", "not for the web");
    fs::create_directories(out + "/private");
    WriteFile(out + "/private/key", "nor this");
    fs::create_symlink(out + "/secret.txt", job + "/secret.txt");
    fs::create_directory_symlink(out + "/private", job + "/private");
    fs::create_symlink(job + "/gone", job + "/dangling");
    fs::create_symlink("Images/0-0-0.jpg", job + "/cover.jpg");  // inside: packed as a file
    CZipper zipper;
    ASSERT_TRUE(zipper.OpenZip(Archive(), out));
    ASSERT_TRUE(zipper.AddFolderToZip(job));
    ASSERT_TRUE(zipper.CloseZip());
    EXPECT_EQ(zipper.SkippedCount(), 3);
    auto r = CheckArchive(Archive());
    ASSERT_TRUE(r.AllOk()) << r.details;
    for (const std::string& n : r.names) {
        EXPECT_EQ(n.find("secret"), std::string::npos) << n;
        EXPECT_EQ(n.find("private"), std::string::npos) << n;
        EXPECT_EQ(n.find("dangling"), std::string::npos) << n;
    }
    EXPECT_NE(std::find(r.names.begin(), r.names.end(), "photo/cover.jpg"), r.names.end());
}

TEST_F(JobFolder, AnExistingArchiveIsReplacedOnlyByACompleteOne) {
    WriteFile(Archive(), "the previous archive");
    std::atomic<int> asked{0};
    {
        CZipper zipper;
        zipper.SetCancelCheck([&] { return ++asked > 4; });
        ASSERT_TRUE(zipper.OpenZip(Archive(), out));
        zipper.AddFolderToZip(job);
        EXPECT_EQ(zipper.LastError().fault, kerfel::Fault::Cancelled);
        zipper.AbandonZip();
    }
    EXPECT_EQ(ziptest::ReadFile(Archive()), "the previous archive");
    {  // destroyed after a failure without being closed: still no archive
        CZipper zipper;
        zipper.SetCancelCheck([] { return true; });
        ASSERT_TRUE(zipper.OpenZip(Archive(), out));
        zipper.AddFolderToZip(job);
    }
    EXPECT_EQ(ziptest::ReadFile(Archive()), "the previous archive");
    for (auto& e : fs::directory_iterator(out)) EXPECT_NE(e.path().filename().string()[0], '.') << e.path();

    CZipper zipper;
    ASSERT_TRUE(zipper.OpenZip(Archive(), out));
    ASSERT_TRUE(zipper.AddFolderToZip(job));
    ASSERT_TRUE(zipper.CloseZip());
    EXPECT_TRUE(CheckArchive(Archive()).AllOk());
    // A new archive gets the usual permissions of a new file, not the temporary file's private ones.
    mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(fs::status(Archive()).permissions() & fs::perms::all, fs::perms(0666 & ~mask));
}

TEST(Zipper, OpeningFailsCleanlyWhereNothingCanBeWritten) {
    ziptest::TempFolder tmp;
    WriteFile(tmp.path + "/file.txt", "x");
    CZipper zipper;
    EXPECT_FALSE(zipper.OpenZip(""));
    EXPECT_FALSE(zipper.OpenZip(tmp.path + "/missing/a.zip"));
    EXPECT_NE(zipper.LastError().message.find(tmp.path + "/missing/a.zip"), std::string::npos);
    EXPECT_FALSE(zipper.OpenZip(tmp.path + "/file.txt/a.zip"));
    EXPECT_FALSE(zipper.OpenZip(tmp.path));  // a folder, not a file
    EXPECT_FALSE(zipper.OpenZip("/proc/kerfel.zip"));
    EXPECT_FALSE(zipper.IsOpen());
    EXPECT_FALSE(zipper.AddFolderToZip(tmp.path));
    EXPECT_TRUE(zipper.CloseZip());
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path), fs::directory_iterator()), 1);
}

TEST(Zipper, TimesAreLocalCalendarFieldsTheFormatCanHold) {
    ziptest::TempFolder tmp;
    std::string f = tmp.path + "/f";
    WriteFile(f, "x");
    std::tm when{};
    when.tm_year = 2006 - 1900;
    when.tm_mon = 4;
    when.tm_mday = 17;
    when.tm_hour = 13;
    when.tm_min = 45;
    when.tm_sec = 31;
    when.tm_isdst = -1;
    std::time_t t = std::mktime(&when);
    fs::last_write_time(f, fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(t)));
    tm_zip z{};
    ASSERT_TRUE(CZipper::GetLastModified(f, z));
    EXPECT_EQ(z.tm_year, 2006u);
    EXPECT_EQ(z.tm_mon, 4u);  // May, counted from 0
    EXPECT_EQ(z.tm_mday, 17u);
    EXPECT_EQ(z.tm_hour, 13u);
    EXPECT_EQ(z.tm_min, 45u);
    EXPECT_EQ(z.tm_sec, 31u);
    // Before 1980 the format has no date: the earliest it has, not garbage.
    fs::last_write_time(f, fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(86400 * 400)));
    ASSERT_TRUE(CZipper::GetLastModified(f, z));
    EXPECT_EQ(z.tm_year, 1980u);
    EXPECT_EQ(z.tm_mon, 0u);
    EXPECT_EQ(z.tm_mday, 1u);
    EXPECT_FALSE(CZipper::GetLastModified(tmp.path + "/missing", z));
    EXPECT_EQ(z.tm_year, 1980u);
}

// More entries than the classic end record can count.
TEST(ZipperLarge, MoreThan65535EntriesUnpackEverywhere) {
    ziptest::TempFolder tmp("/dev/shm");
    std::string job = tmp.path + "/many";
    const int kFolders = 70, kPerFolder = 1000;
    for (int d = 0; d < kFolders; ++d) {
        std::string folder = job + "/Images" + std::to_string(d);
        fs::create_directories(folder);
        for (int i = 0; i < kPerFolder; ++i) std::ofstream(folder + "/" + std::to_string(i) + ".jpg") << i;
    }
    CZipper zipper;
    ASSERT_TRUE(zipper.OpenZip(tmp.path + "/many.zip", tmp.path));
    ASSERT_TRUE(zipper.AddFolderToZip(job));
    EXPECT_EQ(zipper.EntryCount(), 1u + kFolders + kFolders * kPerFolder);
    ASSERT_TRUE(zipper.CloseZip()) << zipper.LastError().message;
    auto r = CheckArchive(tmp.path + "/many.zip");
    EXPECT_TRUE(r.AllOk()) << r.details;
    EXPECT_EQ(r.names.size(), 1u + kFolders + kFolders * kPerFolder);
    // The extra end records are added once, never twice.
    EXPECT_TRUE(kerfel::AddZip64EndRecords(tmp.path + "/many.zip", r.names.size()).ok());
    EXPECT_TRUE(CheckArchive(tmp.path + "/many.zip").AllOk());
}

// One entry of 4 GiB or more (a sparse file; minutes of work, so only on request).
TEST(ZipperLarge, AnEntryOf4GiBOrMoreIsWrittenWith64BitSizes) {
    if (!std::getenv("KERFEL_LARGE_TESTS")) GTEST_SKIP() << "set KERFEL_LARGE_TESTS=1 to run";
    ziptest::TempFolder tmp;
    std::string job = tmp.path + "/big";
    fs::create_directories(job);
    std::ofstream(job + "/huge.bin").close();
    fs::resize_file(job + "/huge.bin", (std::uintmax_t(1) << 32) + 4096);
    CZipper zipper;
    ASSERT_TRUE(zipper.OpenZip(tmp.path + "/big.zip", tmp.path));
    ASSERT_TRUE(zipper.AddFolderToZip(job));
    ASSERT_TRUE(zipper.CloseZip()) << zipper.LastError().message;
    auto r = CheckArchive(tmp.path + "/big.zip");
    EXPECT_TRUE(r.AllOk()) << r.details;
}
