// `kerfel make --layout dzi` and the tile options from the command line:
// one line for what cannot be taken, the Deep Zoom files for what can, and
// `--zip` and `export` packing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli_run.h"
#include "engine/jpeg_reader.h"
#include "generator_test_util.h"
#include "zipper_check.h"

namespace {

namespace fs = std::filesystem;

TEST(DziCommandLine, WhatALayoutCannotTakeIsRefusedInOneLine) {
    struct Case {
        std::vector<std::string> extra;
        const char* line;
    } cases[] = {
        {{"--layout", "dzi", "--overlap", "256"}, "kerfel make: --overlap 256 is not below the tile size 256"},
        {{"--layout", "dzi", "--tile-size", "64", "--overlap", "64"},
         "kerfel make: --overlap 64 is not below the tile size 64"},
        {{"--layout", "dzi", "--tile-size", "15"}, "kerfel make: --tile-size 15 is outside 16 to 4096"},
        {{"--layout", "dzi", "--tile-size", "4097"}, "kerfel make: --tile-size 4097 is outside 16 to 4096"},
        {{"--quality", "0"}, "kerfel make: --quality 0 is outside 1 to 100"},
        {{"--layout", "dzi", "--quality", "101"}, "kerfel make: --quality 101 is outside 1 to 100"},
        {{"--tile-size", "512"}, "kerfel make: the kerfel layout has tiles of 256 pixels only, not --tile-size 512"},
        {{"--layout", "kerfel", "--overlap", "1"},
         "kerfel make: the kerfel layout takes no --overlap 1 (its tiles overlap by 0)"},
        {{"--layout", "dzi", "--id", "https://example.org/a"},
         "kerfel make: --id is not taken by the layout dzi: its files name no address"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"make", "a.jpg", "out"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const clitest::Result r = clitest::Run(args);
        EXPECT_EQ(r.status, 1) << c.line;
        EXPECT_EQ(r.err, std::string(c.line) + "\nTry 'kerfel help make'.\n");
    }
    const clitest::Result info = clitest::Run({"info", "a.jpg", "--layout", "dzi", "--overlap", "300"});
    EXPECT_EQ(info.status, 1);
    EXPECT_EQ(info.err, "kerfel info: --overlap 300 is not below the tile size 256\nTry 'kerfel help info'.\n");
    // An unknown layout is the parser's: one line naming it, then where help is.
    const clitest::Result unknown = clitest::Run({"make", "a.jpg", "out", "--layout", "deepzoom"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err.rfind("kerfel make: --layout", 0), 0u) << unknown.err;
    // Help, completion and the usage all come from the one description.
    const clitest::Result help = clitest::Run({"help", "make"});
    for (const char* option : {"--tile-size N", "--overlap N", "--quality Q", "kerfel, dzi"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST(DziCommandLine, MakesTheDeepZoomFilesAndPacksThem) {
    const std::string dir = gentest::TempFolder();
    gentest::WriteJpeg(dir + "/photo.jpg", gentest::Gradient(1500, 1100));
    fs::create_directory(dir + "/out");
    const clitest::Result r = clitest::Run({"make", dir + "/photo.jpg", dir + "/out", "--layout", "dzi", "--tile-size",
                                            "510", "--overlap", "2", "--quality", "90", "--zip", dir + "/job.zip"});
    ASSERT_EQ(r.status, 0) << r.err;
    // 3 x 3 tiles of 510 at 1500 x 1100, 2 x 2 at 750 x 550, then one a level.
    EXPECT_EQ(r.out, dir + "/out/photo: 23 tiles in 12 levels, view 1500 x 1100\n");
    const std::string job = dir + "/out/photo";
    EXPECT_EQ(gentest::ReadAll(job + "/photo.dzi"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<Image xmlns=\"http://schemas.microsoft.com/deepzoom/2008\" TileSize=\"510\" Overlap=\"2\" "
              "Format=\"jpg\">\n"
              "  <Size Width=\"1500\" Height=\"1100\"/>\n"
              "</Image>\n");
    EXPECT_EQ(gentest::Names(job), (std::set<std::string>{"index.html", "photo.dzi", "photo_files", "viewer"}));
    EXPECT_EQ(gentest::Names(job + "/photo_files/11").size(), 9u);
    // 0 to 509 with two of the next; from 508 to 1021 with two either side; from 1018 to the edge.
    kerfel::JpegReader tile;
    ASSERT_TRUE(tile.Open(job + "/photo_files/11/1_0.jpg").ok());
    EXPECT_EQ(tile.Width(), 514u);
    EXPECT_EQ(tile.Height(), 512u);
    ASSERT_TRUE(tile.Open(job + "/photo_files/11/2_1.jpg").ok());
    EXPECT_EQ(tile.Width(), 482u);
    EXPECT_EQ(tile.Height(), 514u);
    // The job's own viewer finds the tiles through the tile path and the tiles' size.
    const std::string page = gentest::ReadAll(job + "/index.html");
    EXPECT_NE(page.find("\"tilePath\":\"{name}_files/{level}/{column}_{row}.jpg\""), std::string::npos);
    EXPECT_NE(page.find("\"tileSize\":510,\"overlap\":2"), std::string::npos);

    // --zip and export pack the same folder.
    const ziptest::ArchiveReport zipped = ziptest::CheckArchive(dir + "/job.zip");
    ASSERT_TRUE(zipped.AllOk()) << zipped.details;
    ASSERT_EQ(clitest::Run({"export", job, dir + "/again.zip"}).status, 0);
    const ziptest::ArchiveReport exported = ziptest::CheckArchive(dir + "/again.zip");
    ASSERT_TRUE(exported.AllOk()) << exported.details;
    EXPECT_EQ(exported.names, zipped.names);
    for (const char* name : {"photo/photo.dzi", "photo/photo_files/0/0_0.jpg", "photo/photo_files/11/2_1.jpg",
                             "photo/index.html"})
        EXPECT_NE(std::find(zipped.names.begin(), zipped.names.end(), name), zipped.names.end()) << name;
    fs::remove_all(dir);
}

}  // namespace
