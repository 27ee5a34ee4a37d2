// Decoding the chosen picture: what a photo viewer shows, or a clear error
// naming the file — never a crash, never wrong colours.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "engine/source_image.h"
#include "test_images.h"

using kerfel::PixelBuffer;
using kerfel::SourceInfo;
using kerfel::Status;

namespace {

struct Rgb { int r, g, b; };
Rgb At(const PixelBuffer& b, unsigned x, unsigned y) {
    const uint8_t* p = b.Row(y) + x * 3;
    return {p[0], p[1], p[2]};
}
bool IsBlue(Rgb c) { return c.b > 180 && c.r < 80 && c.g < 80; }
bool IsRed(Rgb c) { return c.r > 180 && c.g < 80 && c.b < 80; }

class SourceImage : public ::testing::Test {
protected:
    std::string dir = testimg::TempFolder();
    // Red 300 x 200 with a blue square in the top-left corner.
    std::string Marked(const std::string& name, const std::string& extra = "") {
        return testimg::Convert("-size 300x200 xc:red -fill blue -draw 'rectangle 0,0 59,59' " + extra +
                                    " -strip -quality 95",
                                dir + "/" + name);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

}  // namespace

TEST_F(SourceImage, PlainColourPictureDecodesAsViewed) {
    std::string path = Marked("plain.jpg");
    PixelBuffer px;
    SourceInfo info;
    ASSERT_TRUE(kerfel::DecodeSource(path, px, &info)) << path;
    EXPECT_EQ(px.width, 300u);
    EXPECT_EQ(px.height, 200u);
    EXPECT_TRUE(IsBlue(At(px, 10, 10)));
    EXPECT_TRUE(IsRed(At(px, 290, 190)));
}

TEST_F(SourceImage, ExifOrientationIsAppliedToPictureAndSize) {
    const auto bytes = testimg::ReadBytes(Marked("base.jpg"));
    struct Case { int orientation; bool le; unsigned x, y; } cases[] = {
        {6, false, 190, 10},   // turned clockwise: the top-left corner goes top-right
        {8, true, 10, 290},    // anticlockwise: bottom-left
        {3, false, 290, 190},  // half turn: bottom-right
        {2, true, 290, 10},    // mirrored
    };
    for (const Case& c : cases) {
        std::string path = dir + "/o" + std::to_string(c.orientation) + ".jpg";
        testimg::WriteBytes(path, testimg::WithExifOrientation(bytes, c.orientation, c.le));
        PixelBuffer px;
        SourceInfo info;
        ASSERT_TRUE(kerfel::InspectSource(path, info));
        EXPECT_EQ(info.header.orientation, c.orientation);
        ASSERT_TRUE(kerfel::DecodeSource(path, px));
        bool swaps = c.orientation >= 5;
        EXPECT_EQ(px.width, swaps ? 200u : 300u) << c.orientation;
        EXPECT_EQ(info.width, px.width);
        EXPECT_TRUE(IsBlue(At(px, c.x, c.y))) << "orientation " << c.orientation;
        EXPECT_TRUE(IsRed(At(px, 100, 100))) << "orientation " << c.orientation;
    }
}

TEST_F(SourceImage, CmykGreyscaleAndProgressiveGiveTrueColours) {
    PixelBuffer px;
    ASSERT_TRUE(kerfel::DecodeSource(Marked("cmyk.jpg", "-colorspace CMYK"), px));
    EXPECT_TRUE(IsRed(At(px, 290, 190)));
    EXPECT_TRUE(IsBlue(At(px, 10, 10)));
    ASSERT_TRUE(kerfel::DecodeSource(Marked("prog.jpg", "-interlace JPEG"), px));
    EXPECT_TRUE(IsBlue(At(px, 10, 10)));
    ASSERT_TRUE(kerfel::DecodeSource(Marked("grey.jpg", "-colorspace Gray"), px));
    Rgb g = At(px, 290, 190);
    EXPECT_EQ(g.r, g.g);
    EXPECT_EQ(g.g, g.b);
    EXPECT_EQ(px.width, 300u);
}

TEST_F(SourceImage, ThumbnailKeepsAspectAndOrientation) {
    const auto bytes = testimg::ReadBytes(Marked("base.jpg"));
    std::string path = dir + "/turned.jpg";
    testimg::WriteBytes(path, testimg::WithExifOrientation(bytes, 6, false));
    PixelBuffer thumb;
    SourceInfo info;
    ASSERT_TRUE(kerfel::DecodeThumbnail(path, 100, thumb, info));
    EXPECT_EQ(info.width, 200u);
    EXPECT_EQ(info.height, 300u);
    EXPECT_EQ(thumb.height, 100u);
    EXPECT_EQ(thumb.width, 66u);
}

// A 5 x 5 grid of the thumbnail against the same of the whole picture, for
// a picture the decoder shrinks first, one the bands alone shrink, and one
// smaller than the thumbnail.
TEST_F(SourceImage, ThumbnailIsThePictureScaledDown) {
    auto mean = [](const PixelBuffer& b, int cx, int cy, int c) {
        const unsigned x0 = cx * b.width / 5, x1 = (cx + 1) * b.width / 5, y0 = cy * b.height / 5, y1 = (cy + 1) * b.height / 5;
        long sum = 0;
        for (unsigned y = y0; y < y1; ++y)
            for (unsigned x = x0; x < x1; ++x) sum += b.Row(y)[x * 3 + c];
        return sum / long((x1 - x0) * (y1 - y0));
    };
    const std::string quadrants = " xc:red -fill blue -draw 'rectangle 75,0 150,60' -fill lime -draw 'rectangle 0,60 75,120'";
    for (const std::string& path : {testimg::Convert("-size 800x600 xc:yellow -fill blue -draw 'circle 400,300 400,100'", dir + "/circle.jpg"),
                                    testimg::Convert("-size 150x120" + quadrants, dir + "/q150.jpg"),
                                    testimg::Convert("-size 150x120" + quadrants + " -resize 60x48", dir + "/q60.jpg")}) {
        PixelBuffer whole, thumb;
        SourceInfo info;
        ASSERT_TRUE(kerfel::DecodeSource(path, whole));
        ASSERT_TRUE(kerfel::DecodeThumbnail(path, 100, thumb, info));
        EXPECT_EQ(std::max(thumb.width, thumb.height), 100u) << path;
        for (int cy = 0; cy < 5; ++cy)
            for (int cx = 0; cx < 5; ++cx)
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(mean(thumb, cx, cy, c), mean(whole, cx, cy, c), 24) << path << " cell " << cx << "," << cy;
    }
}

TEST_F(SourceImage, UnusableFilesGiveAnErrorNamingTheFile) {
    const auto good = testimg::ReadBytes(Marked("good.jpg"));
    auto write = [&](const std::string& name, std::vector<uint8_t> b) {
        testimg::WriteBytes(dir + "/" + name, b);
        return dir + "/" + name;
    };
    std::vector<std::string> bad = {
        dir + "/missing.jpg",
        write("empty.jpg", {}),
        write("half.jpg", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2)),
        write("header-only.jpg", std::vector<uint8_t>(good.begin(), good.begin() + 20)),
        write("text.jpg", {'h', 'e', 'l', 'l', 'o'}),
        testimg::Convert("-size 20x20 xc:green png:", dir + "/png.jpg"),
        write("huge.jpg", testimg::WithFrameSize(good, 65000, 65000)),
        write("claims-900mp.jpg", testimg::WithFrameSize(good, 30000, 30000)),
    };
    std::filesystem::create_directory(dir + "/folder.jpg");
    bad.push_back(dir + "/folder.jpg");
    for (const std::string& path : bad) {
        PixelBuffer px;
        Status s = kerfel::DecodeSource(path, px);
        EXPECT_FALSE(s.ok()) << path;
        EXPECT_EQ(s.fault, kerfel::Fault::BadInput) << path;
        EXPECT_NE(s.message.find(path), std::string::npos) << s.message;
        EXPECT_EQ(s.message.find('\n'), std::string::npos) << s.message;
    }
}

TEST(JpegHeader, RefusesDecodedSizesTheDecoderCannotHold) {
    EXPECT_TRUE(kerfel::DecodedSizeFits(30000, 30000, 3));
    EXPECT_FALSE(kerfel::DecodedSizeFits(65000, 65000, 3));
    EXPECT_FALSE(kerfel::DecodedSizeFits(37838, 37838, 3));  // first square at 2^32 bytes
    EXPECT_TRUE(kerfel::DecodedSizeFits(37837, 37837, 3));
}
