// The IIIF layouts against examples worked out by hand from the Image API's
// rules: scale factors 1, 2, 4, ... until one tile holds the picture; a
// tile's region in full-size pixels and its size ceil(region / scale); the
// names viewers ask for besides.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "engine/generator.h"
#include "engine/iiif_service.h"
#include "engine/source_image.h"
#include "engine/tile_paths.h"
#include "generator_test_util.h"
#include "publish/job_files.h"

using namespace kerfel;

namespace {

const Layout& V3() { return *FindLayout("iiif3"); }
const Layout& V2() { return *FindLayout("iiif2"); }

std::vector<unsigned> V(std::initializer_list<unsigned> v) { return v; }

// Every name of one tile below the job folder, its own first.
std::vector<std::string> Names(const Layout& layout, unsigned w, unsigned h, int level, int column, int row) {
    const TilePyramid p = TilePyramid::Build(layout, w, h);
    const TilePaths paths(p, "/j", "photo");
    std::vector<std::string> all = {paths.Of(level, column, row)};
    for (const std::string& other : paths.OthersOf(level, column, row)) all.push_back(other);
    for (std::string& name : all) name = name.substr(3, name.size() - 3 - std::string("/0/default.jpg").size());
    return all;
}

using S = std::vector<std::string>;

TEST(IiifLevels, ScaleFactorsDoubleUntilOneTileHoldsThePicture) {
    struct Case {
        unsigned w, h;
        std::vector<unsigned> widths, heights;
        int tiles;
    } cases[] = {
        {1, 1, V({1}), V({1}), 1},
        {255, 1, V({255}), V({1}), 1},
        {256, 256, V({256}), V({256}), 1},
        {257, 257, V({129, 257}), V({129, 257}), 1 + 4},
        {1500, 1100, V({188, 375, 750, 1500}), V({138, 275, 550, 1100}), 1 + 4 + 9 + 30},
        {65500, 1, V({256, 512, 1024, 2047, 4094, 8188, 16375, 32750, 65500}), V({1, 1, 1, 1, 1, 1, 1, 1, 1}),
         1 + 2 + 4 + 8 + 16 + 32 + 64 + 128 + 256},
        {1, 65500, V({1, 1, 1, 1, 1, 1, 1, 1, 1}), V({256, 512, 1024, 2047, 4094, 8188, 16375, 32750, 65500}), 511},
    };
    for (const Layout* layout : {&V3(), &V2()})
        for (const Case& c : cases) {
            const TilePyramid p = TilePyramid::Build(*layout, c.w, c.h);
            EXPECT_EQ(p.m_arrLevelWidth, c.widths) << c.w << "x" << c.h;
            EXPECT_EQ(p.m_arrLevelHeight, c.heights) << c.w << "x" << c.h;
            EXPECT_EQ(p.m_nTotalTiles, c.tiles) << c.w << "x" << c.h;
            EXPECT_TRUE(CheckPyramid(p).ok());
        }
    // Larger tiles hold the picture sooner: fewer levels.
    const TilePyramid big = TilePyramid::Build(WithTiles(V3(), 512, 0), 1500, 1100);
    EXPECT_EQ(big.m_arrLevelWidth, V({375, 750, 1500}));
    EXPECT_EQ(big.m_nTotalTiles, 1 + 4 + 9);
}

TEST(IiifNames, RegionsInFullSizePixelsWithTheSpellingsViewersAskFor) {
    // One tile is the whole picture: the region's own name, "full", and
    // "max" (2.1: "full" for an unscaled size too).
    EXPECT_EQ(Names(V3(), 1, 1, 0, 0, 0), S({"0,0,1,1/1,1", "full/1,1", "full/max"}));
    EXPECT_EQ(Names(V2(), 1, 1, 0, 0, 0), S({"0,0,1,1/1,", "full/1,", "full/max", "full/full"}));
    EXPECT_EQ(Names(V3(), 255, 1, 0, 0, 0), S({"0,0,255,1/255,1", "full/255,1", "full/max"}));
    EXPECT_EQ(Names(V3(), 256, 256, 0, 0, 0), S({"0,0,256,256/256,256", "full/256,256", "full/max"}));

    // 257 x 257: four tiles at scale 1, the last ones a pixel wide; one at
    // scale 2, ceil(257 / 2) = 129 a side.
    EXPECT_EQ(Names(V3(), 257, 257, 1, 1, 0), S({"256,0,1,256/1,256", "256,0,1,256/max"}));
    EXPECT_EQ(Names(V3(), 257, 257, 1, 1, 1), S({"256,256,1,1/1,1", "256,256,1,1/max"}));
    EXPECT_EQ(Names(V2(), 257, 257, 1, 1, 1), S({"256,256,1,1/1,", "256,256,1,1/max", "256,256,1,1/full"}));
    EXPECT_EQ(Names(V3(), 257, 257, 0, 0, 0), S({"0,0,257,257/129,129", "full/129,129"}));
    EXPECT_EQ(Names(V2(), 257, 257, 0, 0, 0), S({"0,0,257,257/129,", "full/129,"}));

    // 1500 x 1100 at scale 2 (750 x 550): the corner tile holds 238 x 38
    // pixels of 476 x 76 full-size ones; at scale 8 one tile of 188 x 138.
    EXPECT_EQ(Names(V3(), 1500, 1100, 2, 2, 2), S({"1024,1024,476,76/238,38"}));
    EXPECT_EQ(Names(V2(), 1500, 1100, 2, 2, 2), S({"1024,1024,476,76/238,"}));
    EXPECT_EQ(Names(V3(), 1500, 1100, 3, 5, 4), S({"1280,1024,220,76/220,76", "1280,1024,220,76/max"}));
    EXPECT_EQ(Names(V3(), 1500, 1100, 0, 0, 0), S({"0,0,1500,1100/188,138", "full/188,138"}));

    // 65500 x 1: at scale 128 the second tile's region is clipped to the
    // picture (32732 pixels, 256 of them at that scale); at scale 256 one tile.
    EXPECT_EQ(Names(V3(), 65500, 1, 1, 1, 0), S({"32768,0,32732,1/256,1"}));
    EXPECT_EQ(Names(V3(), 65500, 1, 8, 255, 0), S({"65280,0,220,1/220,1", "65280,0,220,1/max"}));
    EXPECT_EQ(Names(V3(), 65500, 1, 0, 0, 0), S({"0,0,65500,1/256,1", "full/256,1", "full/max"}));
    EXPECT_EQ(Names(V2(), 1, 65500, 8, 0, 255), S({"0,65280,1,220/1,", "0,65280,1,220/max", "0,65280,1,220/full"}));
    EXPECT_EQ(Names(V2(), 1, 65500, 0, 0, 0), S({"0,0,1,65500/1,", "full/1,", "full/max"}));
}

// The largest whole picture: the smallest level at least a tile (or the
// picture) wide and high; written apart from the tiles where it spans more
// than one.
TEST(IiifNames, TheLargestWholePictureIsTheFirstLevelATileFitsIn) {
    auto whole = [](unsigned w, unsigned h) {
        const TilePyramid p = TilePyramid::Build(V3(), w, h);
        const TilePaths paths(p, "/j", "photo");
        return paths.WholePicturePaths();
    };
    EXPECT_EQ(whole(256, 256), S());  // the one tile
    EXPECT_EQ(whole(65500, 1), S());  // 256 x 1, one tile
    EXPECT_EQ(whole(1500, 1100), S({"/j/0,0,1500,1100/375,275/0/default.jpg", "/j/full/375,275/0/default.jpg",
                                    "/j/full/max/0/default.jpg"}));
    EXPECT_EQ(whole(257, 257), S({"/j/0,0,257,257/257,257/0/default.jpg", "/j/full/257,257/0/default.jpg",
                                  "/j/full/max/0/default.jpg"}));
    // A level beyond what a JPEG can hold is never chosen.
    EXPECT_EQ(IiifWholeLevel(V({300, 70000}), V({150, 300}), 256), 0);
}

TEST(IiifInfo, DeclaresTheLargestSizeAndListsEveryWholePicture) {
    for (const Layout* layout : {&V3(), &V2()}) {
        DescriptorValues v = DescribePyramid(TilePyramid::Build(*layout, 1500, 1100), 1);
        v.jobName = "my photo";
        const std::string info = layout->files[0].text(v);
        EXPECT_NE(info.find("\"maxWidth\": 375,"), std::string::npos) << info;
        EXPECT_NE(info.find("\"maxHeight\": 275"), std::string::npos) << info;
        EXPECT_NE(info.find("\"sizes\": [{\"width\": 188, \"height\": 138}, {\"width\": 375, \"height\": 275}]"),
                  std::string::npos) << info;
        EXPECT_NE(info.find("\"scaleFactors\": [1, 2, 4, 8]"), std::string::npos) << info;
        EXPECT_NE(info.find("\"https://example.org/iiif/my%20photo\""), std::string::npos) << info;
        v.serviceId = "https://pics.example/iiif/photo";
        const std::string manifest = layout->files[1].text(v);
        EXPECT_NE(manifest.find("\"https://pics.example/iiif/photo/full/max/0/default.jpg\""), std::string::npos);
        EXPECT_NE(manifest.find(layout == &V3() ? "/full/188,138/0/default.jpg" : "/full/188,/0/default.jpg"),
                  std::string::npos) << manifest;
    }
    // A picture one tile holds is its own largest size: nothing to declare.
    const std::string small = V3().files[0].text(DescribePyramid(TilePyramid::Build(V3(), 256, 100), 1));
    EXPECT_EQ(small.find("maxWidth"), std::string::npos) << small;
}

// A whole job: every name is on disk, the further ones the very same file,
// the largest whole picture decodes to its size, and the descriptor files
// come last.
TEST(IiifJob, EveryNameOfEveryTileIsTheSameFile) {
    const std::string dir = gentest::TempFolder();
    gentest::WriteJpeg(dir + "/photo.jpg", gentest::Gradient(700, 300));
    for (const Layout* layout : {&V3(), &V2()}) {
        GeneratorJob job{dir + "/photo.jpg", dir, TilePyramid::Build(*layout, 700, 300)};
        job.threads = 2;
        const JobResult r = GenerateTiles(job, {});
        ASSERT_EQ(r.end, JobEnd::Finished) << layout->name << ": " << r.status.message;
        const TilePaths paths(job.pyramid, dir + "/photo", "photo");
        for (int l = 0; l < job.pyramid.LevelCount(); ++l)
            for (int c = 0; c < job.pyramid.Columns(l); ++c)
                for (int row = 0; row < job.pyramid.Rows(l); ++row) {
                    struct stat tile, other;
                    ASSERT_EQ(::stat(paths.Of(l, c, row).c_str(), &tile), 0) << paths.Of(l, c, row);
                    for (const std::string& name : paths.OthersOf(l, c, row)) {
                        ASSERT_EQ(::stat(name.c_str(), &other), 0) << name;
                        EXPECT_EQ(other.st_ino, tile.st_ino) << name;
                    }
                }
        // 700 x 300: scale 2 gives 350 x 150, not a tile high; so scale 1.
        PixelBuffer largest;
        ASSERT_TRUE(DecodeSource(dir + "/photo/full/max/0/default.jpg", largest).ok());
        EXPECT_EQ(largest.width, 700u);
        EXPECT_EQ(largest.height, 300u);
        EXPECT_LT(gentest::MeanDifference(largest, gentest::Gradient(700, 300)), 3.0);
        EXPECT_FALSE(std::filesystem::exists(dir + "/photo/info.json"));
        ASSERT_TRUE(WriteJobFiles(dir + "/photo", DescribePyramid(job.pyramid, 1)).ok());
        EXPECT_TRUE(std::filesystem::exists(dir + "/photo/manifest.json"));
        EXPECT_TRUE(std::filesystem::exists(dir + "/photo/index.html"));
        std::filesystem::remove_all(dir + "/photo");
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
