// Deep Zoom beside `vips dzsave --layout dz` with the same tiles (256
// pixels, overlap 1, quality 70): every tile vips writes is ours too, of the
// same size and the same pixels but for JPEG rounding, and the .dzi says the
// same. vips serves only as the reference here; the test is skipped where it
// is not installed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "engine/jpeg_reader.h"
#include "generator_test_util.h"

using namespace kerfel;
namespace fs = std::filesystem;

namespace {

// Waves of a few periods in each channel: a tile cut one pixel off, or a
// level halved another way, differs far beyond JPEG's rounding.
PixelBuffer Waves(unsigned w, unsigned h) {
    PixelBuffer b = PixelBuffer::Make(w, h);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            uint8_t* p = b.Row(y) + x * 3;
            p[0] = static_cast<uint8_t>(128 + 100 * std::sin(x / 7.0) * std::cos(y / 23.0));
            p[1] = static_cast<uint8_t>(128 + 100 * std::sin(y / 5.0 + x / 61.0));
            p[2] = static_cast<uint8_t>((x * 3 + y * 2) % 256);
        }
    return b;
}

PixelBuffer Decode(const std::string& path) {
    JpegReader r;
    PixelBuffer b;
    if (!r.Open(path).ok() || !r.Start().ok()) return b;
    b = PixelBuffer::Make(r.OutputWidth(), r.OutputHeight());
    for (unsigned y = 0; y < b.height; ++y) {
        uint8_t* row = b.Row(y);
        if (!r.ReadRows(&row, 1).ok()) return PixelBuffer{};
    }
    return b;
}

int MaxDifference(const PixelBuffer& a, const PixelBuffer& b) {
    int most = 0;
    for (size_t i = 0; i < PixelBuffer::Bytes(a.width, a.height); ++i)
        most = std::max(most, std::abs(int(a.data[i]) - int(b.data[i])));
    return most;
}

std::string Attribute(const std::string& xml, const std::string& name) {
    std::smatch m;
    return std::regex_search(xml, m, std::regex(" " + name + "=\"([^\"]*)\"")) ? m[1].str() : "?";
}

bool HaveVips() { return std::system("vips --version >/dev/null 2>&1") == 0; }

TEST(DziBesideVips, SameTileNamesSizesAndPixels) {
    if (!HaveVips()) GTEST_SKIP() << "vips is not installed";
    const unsigned sizes[][2] = {{1500, 1100}, {257, 257}, {256, 256}, {255, 1}, {513, 255}, {65500, 1}, {1, 65500}};
    for (const auto& size : sizes) {
        const unsigned w = size[0], h = size[1];
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const std::string dir = gentest::TempFolder();
        gentest::WriteJpeg(dir + "/photo.jpg", Waves(w, h));
        fs::create_directory(dir + "/ours");
        fs::create_directory(dir + "/vips");
        const std::string make = std::string(KERFEL_BINARY) + " make '" + dir + "/photo.jpg' '" + dir +
                                 "/ours' --layout dzi --quiet";
        ASSERT_EQ(std::system(make.c_str()), 0) << make;
        const std::string vips = "vips dzsave '" + dir + "/photo.jpg' '" + dir +
                                 "/vips/photo' --layout dz --tile-size 256 --overlap 1 --suffix '.jpg[Q=70]'";
        ASSERT_EQ(std::system(vips.c_str()), 0) << vips;

        const std::string ours = dir + "/ours/photo", theirs = dir + "/vips";
        const std::string ourDzi = gentest::ReadAll(ours + "/photo.dzi"), vipsDzi = gentest::ReadAll(theirs + "/photo.dzi");
        for (const char* name : {"TileSize", "Overlap", "Format", "Width", "Height"})
            EXPECT_EQ(Attribute(ourDzi, name), Attribute(vipsDzi, name)) << name;
        EXPECT_NE(ourDzi.find("xmlns=\"http://schemas.microsoft.com/deepzoom/2008\""), std::string::npos);

        int tiles = 0, worst = 0;
        double meanSum = 0;
        for (const auto& e : fs::recursive_directory_iterator(theirs + "/photo_files")) {
            if (e.path().extension() != ".jpg") continue;
            const std::string below = e.path().lexically_relative(theirs).string();
            const std::string mine = ours + "/" + below;
            ASSERT_TRUE(fs::is_regular_file(mine)) << below << " is missing";
            const PixelBuffer a = Decode(mine), b = Decode(e.path().string());
            ASSERT_EQ(a.width, b.width) << below;
            ASSERT_EQ(a.height, b.height) << below;
            const int most = MaxDifference(a, b);
            const double mean = gentest::MeanDifference(a, b);
            EXPECT_LE(mean, 2.0) << below;
            EXPECT_LE(most, 40) << below;
            worst = std::max(worst, most);
            meanSum += mean;
            ++tiles;
        }
        EXPECT_GT(tiles, 0);
        std::printf("  %ux%u: %d tiles of vips, all ours; mean difference %.3f, largest %d\n", w, h, tiles,
                    tiles ? meanSum / tiles : 0.0, worst);
        fs::remove_all(dir);
    }
}

}  // namespace
