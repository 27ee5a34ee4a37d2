// What a layout's description decides: the level table, where each tile
// goes and which folders that needs, for the native layout and for the
// shapes of those still to come.
#include <gtest/gtest.h>

#include "engine/generator.h"
#include "engine/tile_paths.h"
#include "generator_test_util.h"
#include "test_layouts.h"

using namespace kerfel;
using namespace testlayouts;

namespace {

std::vector<unsigned> V(std::initializer_list<unsigned> v) { return v; }

TEST(Layouts, TheNativeOneComesFirstAndIsFoundByName) {
    ASSERT_FALSE(Layouts().empty());
    EXPECT_EQ(Layouts().front(), &NativeLayout());
    EXPECT_EQ(FindLayout("kerfel"), &NativeLayout());
    EXPECT_EQ(FindLayout("Kerfel"), nullptr);
    EXPECT_EQ(FindLayout(""), nullptr);
}

TEST(LevelRule, HalvingUpKeepsTheLastPixelAndStopsWhereTheLayoutSays) {
    const TilePyramid up = TilePyramid::Build(kHalvingUp, 1000, 800);
    EXPECT_EQ(up.m_arrLevelWidth, V({1, 2, 4, 8, 16, 32, 63, 125, 250, 500, 1000}));
    EXPECT_EQ(up.m_arrLevelHeight, V({1, 2, 4, 7, 13, 25, 50, 100, 200, 400, 800}));
    EXPECT_EQ(up.m_nTotalTiles, 16 + 4 + 1 + 8);  // 254-pixel tiles
    EXPECT_TRUE(CheckPyramid(up).ok());
    EXPECT_EQ(TilePyramid::Build(kHalvingUp, 1, 1).LevelCount(), 1);
    EXPECT_EQ(TilePyramid::Build(kHalvingUp, 1, 3).m_arrLevelHeight, V({1, 2, 3}));

    // Down to the first level one tile holds.
    EXPECT_EQ(TilePyramid::Build(kRegions, 1000, 800).m_arrLevelWidth, V({63, 125, 250, 500, 1000}));
    EXPECT_EQ(TilePyramid::Build(kRegions, 100, 40).LevelCount(), 1);
}

TEST(TilePaths, FillTheLayoutsFieldsAndNameEachFolderOnceOutermostFirst) {
    const TilePyramid native = TilePyramid::Build(NativeLayout(), 1000, 800);
    const TilePaths nativePaths(native, "/out/photo", "photo");
    EXPECT_EQ(nativePaths.Of(3, 2, 1), "/out/photo/Images/3-2-1.jpg");
    EXPECT_EQ(nativePaths.Folders(), std::vector<std::string>{"Images"});

    const TilePyramid up = TilePyramid::Build(kHalvingUp, 1000, 800);
    const TilePaths upPaths(up, "/out/photo", "photo");
    EXPECT_EQ(upPaths.Of(10, 3, 2), "/out/photo/photo_files/10/3_2.jpg");
    const std::vector<std::string> folders = upPaths.Folders();
    ASSERT_EQ(folders.size(), 12u);
    EXPECT_EQ(folders[0], "photo_files");
    EXPECT_EQ(folders[1], "photo_files/0");
    EXPECT_EQ(folders.back(), "photo_files/10");

    // Regions in full-size pixels: a smaller level's tile covers more of the
    // picture; the picture's edges clip the last ones.
    const TilePyramid regions = TilePyramid::Build(kRegions, 1000, 800);
    const TilePaths regionPaths(regions, "/j", "photo");
    EXPECT_EQ(regionPaths.Of(4, 9, 7), "/j/900,700,100,100/100,100/0/default.jpg");
    EXPECT_EQ(regionPaths.Of(2, 2, 0), "/j/800,0,200,400/50,100/0/default.jpg");
    EXPECT_EQ(regionPaths.Of(0, 0, 0), "/j/0,0,1000,800/63,50/0/default.jpg");

    EXPECT_EQ(FillFields("a{b}{c}{b", {{"b", "B"}}), "aB{c}{b");
}

// A layout's tiles land where its paths say, in the folders they need, and
// a job that fails before its first tile takes those folders away again.
TEST(TilePaths, AJobInAnotherLayoutWritesWhereItsPathsSay) {
    const std::string dir = gentest::TempFolder();
    gentest::WriteJpeg(dir + "/photo.jpg", gentest::Gradient(300, 200));
    for (const Layout* layout : {&kHalvingUp, &kRegions}) {
        GeneratorJob job{dir + "/photo.jpg", dir, TilePyramid::Build(*layout, 300, 200)};
        JobResult r = GenerateTiles(job, {});
        ASSERT_EQ(r.end, JobEnd::Finished) << layout->name << ": " << r.status.message;
        EXPECT_EQ(r.tilesWritten, job.pyramid.m_nTotalTiles);
        const TilePaths paths(job.pyramid, dir + "/photo", "photo");
        for (int l = 0; l < job.pyramid.LevelCount(); ++l)
            for (int c = 0; c < job.pyramid.Columns(l); ++c)
                for (int row = 0; row < job.pyramid.Rows(l); ++row)
                    EXPECT_TRUE(std::filesystem::is_regular_file(paths.Of(l, c, row))) << paths.Of(l, c, row);
        std::filesystem::remove_all(dir + "/photo");

        // Cut short before the first strip's last row.
        std::filesystem::resize_file(dir + "/photo.jpg", std::filesystem::file_size(dir + "/photo.jpg") / 5);
        r = GenerateTiles(job, {});
        EXPECT_EQ(r.end, JobEnd::Failed) << layout->name;
        EXPECT_FALSE(std::filesystem::exists(dir + "/photo")) << layout->name;
        gentest::WriteJpeg(dir + "/photo.jpg", gentest::Gradient(300, 200));
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
