// The archive writer of jobs written as one file: stored entries every
// unpacker reads, ZIP64 records wherever the limits are reached (lowered
// here, so that a small archive needs every one of them), and a write that
// fails ends the archive, naming it.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "base/stored_zip_writer.h"
#include "zipper_check.h"

namespace {

using kerfel::StoredZipWriter;
using kerfel::ZipLimits;

std::string Bytes(size_t n, char seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i * 7);
    return s;
}

TEST(StoredZip, EveryUnpackerReadsItWithAndWithoutZip64Records) {
    ziptest::TempFolder dir;
    const std::string music = dir.path + "/theme.mp3";
    ziptest::WriteFile(music, Bytes(1000, 'm'));
    const std::vector<std::string> names = {"job/", "job/tiles/", "job/tiles/0.jpg", "job/tiles/1.jpg",
                                            "job/Grüße.txt", "job/bgmusic.mp3"};
    for (const bool zip64 : {false, true}) {
        SCOPED_TRACE(zip64 ? "ZIP64" : "plain");
        const std::string archive = dir.path + (zip64 ? "/big.zip" : "/small.zip");
        const int fd = ::open(archive.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        // Sizes and offsets from 100 bytes on and counts from 3 entries on.
        StoredZipWriter zip(fd, archive, 1700000000, zip64 ? ZipLimits{100, 3} : ZipLimits{});
        ASSERT_TRUE(zip.AddFolder(names[0]).ok());
        ASSERT_TRUE(zip.AddFolder(names[1]).ok());
        const std::string small = Bytes(50, 'a'), large = Bytes(300, 'b');
        ASSERT_TRUE(zip.AddFile(names[2], small.data(), small.size()).ok());
        ASSERT_TRUE(zip.AddFile(names[3], large.data(), large.size()).ok());
        ASSERT_TRUE(zip.AddFile(names[4], "hello", 5).ok());
        ASSERT_TRUE(zip.AddFileFrom(names[5], music).ok());
        ASSERT_TRUE(zip.Finish().ok());
        ::close(fd);

        const ziptest::ArchiveReport report = ziptest::CheckArchive(archive);
        EXPECT_TRUE(report.AllOk()) << report.details;
        EXPECT_EQ(report.names, names);
        EXPECT_EQ(ziptest::Run("unzip -p " + ziptest::Quote(archive) + " job/tiles/1.jpg").out, large);
        EXPECT_EQ(ziptest::Run("unzip -p " + ziptest::Quote(archive) + " job/bgmusic.mp3").out, Bytes(1000, 'm'));
        const std::string bytes = ziptest::ReadFile(archive);
        EXPECT_EQ(bytes.find(std::string("PK\x06\x06", 4)) != std::string::npos, zip64);
        EXPECT_EQ(bytes.find(std::string("PK\x07\x08", 4)), std::string::npos) << "a data descriptor";
        EXPECT_EQ(zip.Written(), bytes.size());
    }
}

TEST(StoredZip, AFailedWriteEndsTheArchiveAndNamesIt) {
    struct Case {
        const char* what;
        int fd;
        const char* reason;
    };
    std::signal(SIGPIPE, SIG_IGN);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const Case cases[] = {{"a full disk", ::open("/dev/full", O_WRONLY), "No space left on device"},
                          {"a closed pipe", ends[1], "Broken pipe"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StoredZipWriter zip(c.fd, "photo.szi on standard output", 0);
        const std::string tile = Bytes(100000, 't');
        kerfel::Status s = zip.AddFile("photo/0.jpg", tile.data(), tile.size());
        EXPECT_EQ(s.fault, kerfel::Fault::OutputFailed);
        EXPECT_EQ(s.message, std::string("photo.szi on standard output: ") + c.reason);
        // Nothing more goes out, and the archive is never completed.
        EXPECT_EQ(zip.AddFile("photo/1.jpg", "x", 1).message, s.message);
        EXPECT_EQ(zip.Finish().message, s.message);
        ::close(c.fd);
    }
    std::signal(SIGPIPE, SIG_DFL);
}

}  // namespace
