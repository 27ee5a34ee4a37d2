// The IIIF layouts beside the reference tiler vips (dzsave, 256-pixel tiles,
// no overlap): every tile it writes is ours too, under the same name, the
// same size, and the same pixels but for JPEG's rounding. Ours may hold more
// names (the spellings viewers ask for), never fewer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/generator.h"
#include "engine/source_image.h"
#include "generator_test_util.h"

using namespace kerfel;
namespace fs = std::filesystem;

namespace {

bool HaveVips() { return std::system("vips --version >/dev/null 2>&1") == 0; }

// The tiles below a folder by their names there; none of the descriptor files.
std::vector<std::string> TileNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file() && e.path().extension() == ".jpg")
            names.push_back(fs::relative(e.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Case {
    const char* layout;
    const char* vipsLayout;
    unsigned width, height;
};

class BesideVips : public ::testing::TestWithParam<Case> {};

TEST_P(BesideVips, SameNamesSizesAndPixels) {
    if (!HaveVips()) GTEST_SKIP() << "vips is not installed";
    const Case c = GetParam();
    const std::string dir = gentest::TempFolder();
    gentest::WriteJpeg(dir + "/photo.jpg", gentest::Gradient(c.width, c.height));
    const std::string theirs = dir + "/vips";
    ASSERT_EQ(std::system(("vips dzsave " + dir + "/photo.jpg " + theirs + " --layout " + c.vipsLayout +
                           " --tile-size 256 --overlap 0 --suffix .jpg[Q=70] >/dev/null 2>&1").c_str()), 0);
    fs::create_directory(dir + "/out");
    GeneratorJob job{dir + "/photo.jpg", dir + "/out", TilePyramid::Build(*FindLayout(c.layout), c.width, c.height)};
    ASSERT_EQ(GenerateTiles(job, {}).end, JobEnd::Finished);

    const std::string ours = dir + "/out/photo";
    const std::vector<std::string> theirNames = TileNames(theirs);
    ASSERT_FALSE(theirNames.empty());
    for (const std::string& name : theirNames) {
        PixelBuffer a, b;
        ASSERT_TRUE(DecodeSource(ours + "/" + name, a).ok()) << c.layout << " lacks " << name;
        ASSERT_TRUE(DecodeSource(theirs + "/" + name, b).ok()) << name;
        ASSERT_EQ(a.width, b.width) << name;
        ASSERT_EQ(a.height, b.height) << name;
        // Both averaged the same blocks and encoded at quality 70.
        EXPECT_LT(gentest::MeanDifference(a, b), 2.5) << name;
    }
    EXPECT_GE(TileNames(ours).size(), theirNames.size());
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Layouts, BesideVips,
                         ::testing::Values(Case{"iiif3", "iiif3", 1500, 1100}, Case{"iiif2", "iiif", 1500, 1100},
                                           Case{"iiif3", "iiif3", 257, 257}, Case{"iiif2", "iiif", 300, 1},
                                           Case{"iiif3", "iiif3", 1, 700}),
                         [](const auto& info) {
                             return std::string(info.param.layout) + "_" + std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

}  // namespace
