// TIFF and PNG sources: every storage the readers take gives the picture a
// viewer shows (alpha over white), a reduced page serves the thumbnail, and
// damage is one line naming the file.
#include <gtest/gtest.h>
#include <lcms2.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cli_run.h"
#include "engine/source_image.h"
#include "test_images.h"
#include "test_tiffs.h"

using kerfel::PixelBuffer;
using kerfel::SourceInfo;
using testimg::Pattern;
using testimg::TiffShape;

namespace {

// The pattern as the reader should give it: grey spread, bilevel
// thresholded, alpha over white.
int Expected(const TiffShape& s, unsigned x, unsigned y, int c) {
    int v = Pattern(x, y, s.colours == 1 ? 0 : c);
    if (s.bits == 1) v = v >= 128 ? 255 : 0;
    if (!s.alpha) return v;
    const int a = Pattern(x, y, 3);
    return (v * a + 255 * (255 - a) + 127) / 255;
}

// Mean and largest difference of every sample.
struct Difference {
    double mean = 0;
    int most = 0;
};

template <class Want>
Difference Compare(const PixelBuffer& px, Want want) {
    Difference d;
    for (unsigned y = 0; y < px.height; ++y)
        for (unsigned x = 0; x < px.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int diff = std::abs(px.Row(y)[x * 3 + c] - want(x, y, c));
                d.mean += diff;
                d.most = std::max(d.most, diff);
            }
    d.mean /= 3.0 * px.width * px.height;
    return d;
}

// ImageMagick's view of a file, flattened over white, as an 8-bit picture.
PixelBuffer Reference(const std::string& path, const std::string& dir) {
    const std::string ppm = dir + "/reference.ppm";
    PixelBuffer b;
    if (testimg::Convert(path + " -background white -flatten -depth 8", ppm).empty()) return b;
    std::ifstream f(ppm, std::ios::binary);
    std::string magic;
    unsigned w = 0, h = 0, top = 0;
    f >> magic >> w >> h >> top;
    f.get();
    b = PixelBuffer::Make(w, h);
    f.read(reinterpret_cast<char*>(b.data.get()), static_cast<std::streamsize>(PixelBuffer::Bytes(w, h)));
    return b;
}

std::vector<uint8_t> WideProfile() {
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 2.2);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    const cmsCIExyY d65 = {0.3127, 0.3290, 1};
    cmsHPROFILE p = cmsCreateRGBProfile(&d65, &primaries, curves);
    cmsFreeToneCurve(curve);
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", "Wide test");
    cmsWriteTag(p, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(p, bytes.data(), &size);
    cmsCloseProfile(p);
    return bytes;
}

class SourceFormats : public ::testing::Test {
protected:
    std::string dir = testimg::TempFolder();
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Tiff(const std::string& name, const TiffShape& s) {
        const std::string path = dir + "/" + name;
        EXPECT_TRUE(testimg::WriteTiff(path, s)) << name;
        return path;
    }
};

}  // namespace

TEST_F(SourceFormats, EveryTiffStorageGivesThePattern) {
    struct Case {
        const char* name;
        TiffShape shape;
        int most;  // largest difference allowed
        const char* format;
    };
    auto shape = [](auto change) {
        TiffShape s;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"strips", shape([](TiffShape&) {}), 0, "TIFF"},
        {"lzw16", shape([](TiffShape& s) { s.bits = 16; s.compression = COMPRESSION_LZW; s.rowsPerStrip = 1000; }), 0, "TIFF"},
        {"deflate-tiles", shape([](TiffShape& s) { s.tile = 64; s.compression = COMPRESSION_ADOBE_DEFLATE; }), 0, "TIFF"},
        {"packbits-grey", shape([](TiffShape& s) { s.colours = 1; s.compression = COMPRESSION_PACKBITS; }), 0, "TIFF"},
        {"bilevel", shape([](TiffShape& s) { s.colours = 1; s.bits = 1; s.rowsPerStrip = 7; }), 0, "TIFF"},
        {"planes-strips", shape([](TiffShape& s) { s.separate = true; s.rowsPerStrip = 5; }), 0, "TIFF"},
        {"planes-tiles16", shape([](TiffShape& s) { s.separate = true; s.tile = 32; s.bits = 16; }), 0, "TIFF"},
        {"alpha", shape([](TiffShape& s) { s.alpha = true; }), 1, "TIFF"},
        {"grey-alpha-tiles", shape([](TiffShape& s) { s.colours = 1; s.alpha = true; s.tile = 48; }), 1, "TIFF"},
        {"bigtiff", shape([](TiffShape& s) { s.big = true; s.tile = 16; s.width = 301; s.height = 77; }), 0, "BigTIFF"},
    };
    for (const Case& c : cases) {
        const std::string path = Tiff(std::string(c.name) + ".tif", c.shape);
        PixelBuffer px;
        SourceInfo info;
        ASSERT_TRUE(kerfel::DecodeSource(path, px, &info)) << c.name << ": " << kerfel::DecodeSource(path, px).message;
        EXPECT_EQ(info.format, c.format) << c.name;
        ASSERT_EQ(px.width, c.shape.width) << c.name;
        ASSERT_EQ(px.height, c.shape.height) << c.name;
        const Difference d = Compare(px, [&](unsigned x, unsigned y, int ch) { return Expected(c.shape, x, y, ch); });
        EXPECT_LE(d.most, c.most) << c.name;
    }
    // JPEG inside TIFF loses a little, as any JPEG does.
    TiffShape jpeg;
    jpeg.tile = 64;
    jpeg.compression = COMPRESSION_JPEG;
    PixelBuffer px;
    ASSERT_TRUE(kerfel::DecodeSource(Tiff("jpeg.tif", jpeg), px));
    EXPECT_LT(Compare(px, [&](unsigned x, unsigned y, int c) { return Expected(jpeg, x, y, c); }).mean, 6.0);
}

TEST_F(SourceFormats, TiffOrientationTurnsThePicture) {
    TiffShape s;
    s.orientation = 6;  // turned clockwise: stored (x, y) shows at (h - 1 - y, x)
    PixelBuffer px;
    SourceInfo info;
    ASSERT_TRUE(kerfel::InspectSource(Tiff("turned.tif", s), info));
    EXPECT_EQ(info.width, s.height);
    EXPECT_EQ(info.orientation, 6);
    ASSERT_TRUE(kerfel::DecodeSource(dir + "/turned.tif", px));
    ASSERT_EQ(px.width, s.height);
    EXPECT_EQ(Compare(px, [&](unsigned x, unsigned y, int c) { return Expected(s, y, s.height - 1 - x, c); }).most, 0);
}

TEST_F(SourceFormats, TiffThumbnailTakesAReducedPageLargeEnough) {
    TiffShape s;
    s.width = 3000;
    s.height = 1500;
    s.tile = 256;
    s.compression = COMPRESSION_ADOBE_DEFLATE;
    s.reducedSide = 400;  // painted green, so its use shows
    PixelBuffer thumb;
    SourceInfo info;
    ASSERT_TRUE(kerfel::DecodeThumbnail(Tiff("reduced.tif", s), 200, thumb, info));
    EXPECT_EQ(info.width, 3000u);  // the full page's size, not the reduced one's
    ASSERT_EQ(thumb.width, 200u);
    EXPECT_EQ(thumb.height, 100u);
    EXPECT_EQ(Compare(thumb, [](unsigned, unsigned, int c) { return c == 1 ? 255 : 0; }).most, 0);
    // Too small a copy is passed over: the full page is read, a row in some.
    ASSERT_TRUE(kerfel::DecodeThumbnail(dir + "/reduced.tif", 500, thumb, info));
    EXPECT_EQ(thumb.width, 500u);
    EXPECT_GT(Compare(thumb, [](unsigned, unsigned, int c) { return c == 1 ? 255 : 0; }).mean, 50.0);
}

TEST_F(SourceFormats, ColourProfilesOfTiffAndPngAreConverted) {
    TiffShape s;
    s.icc = WideProfile();
    PixelBuffer plain, wide;
    SourceInfo info;
    ASSERT_TRUE(kerfel::DecodeSource(Tiff("plain.tif", TiffShape{}), plain));
    ASSERT_TRUE(kerfel::DecodeSource(Tiff("wide.tif", s), wide, &info));
    EXPECT_EQ(info.colourProfile, "Wide test");
    EXPECT_EQ(info.colourNote, "");
    EXPECT_GT(Compare(wide, [&](unsigned x, unsigned y, int c) { return plain.Row(y)[x * 3 + c]; }).mean, 2.0);
    // The same profile in a PNG gives the same colours.
    testimg::WriteBytes(dir + "/wide.icc", s.icc);
    const std::string png = testimg::Convert(dir + "/plain.tif -profile " + dir + "/wide.icc", dir + "/wide.png");
    PixelBuffer fromPng;
    ASSERT_TRUE(kerfel::DecodeSource(png, fromPng, &info));
    EXPECT_EQ(info.colourProfile, "Wide test");
    EXPECT_LE(Compare(fromPng, [&](unsigned x, unsigned y, int c) { return wide.Row(y)[x * 3 + c]; }).most, 1);
}

TEST_F(SourceFormats, EveryPngKindGivesWhatAViewerShows) {
    const std::string base = testimg::Convert("-size 240x160 gradient:red-blue -fill '#20c040' -draw 'circle 120,80 120,20'",
                                              dir + "/base.png");
    const char* kinds[][2] = {
        {"rgb16.png", "-depth 16"},
        {"grey.png", "-colorspace Gray"},
        {"grey4.png", "-colorspace Gray -depth 4"},
        {"palette.png", "-colors 12 PNG8:"},
        {"alpha.png", "-alpha set -channel A -fx 'i/w' +channel"},
        {"interlaced.png", "-interlace PNG"},
    };
    for (const auto& k : kinds) {
        const std::string args(k[1]);
        const bool prefixed = args.size() > 5 && args.compare(args.size() - 5, 5, "PNG8:") == 0;
        const std::string path = dir + "/" + k[0];
        const std::string made =
            testimg::Convert(base + " " + (prefixed ? args.substr(0, args.size() - 5) : args), (prefixed ? "PNG8:" : "") + path);
        ASSERT_FALSE(made.empty()) << k[0];
        PixelBuffer px;
        SourceInfo info;
        ASSERT_TRUE(kerfel::DecodeSource(path, px, &info)) << k[0] << ": " << kerfel::DecodeSource(path, px).message;
        EXPECT_EQ(info.format, "PNG");
        const PixelBuffer want = Reference(path, dir);
        ASSERT_EQ(px.width, want.width) << k[0];
        // Composing over white rounds a level apart here and there.
        EXPECT_LE(Compare(px, [&](unsigned x, unsigned y, int c) { return want.Row(y)[x * 3 + c]; }).most, 2) << k[0];
    }
}

// A plain PNG's rows are read without libpng: whatever the filters, depth
// and channels, they are those libpng gives for the same picture
// interlaced (which it still reads).
TEST_F(SourceFormats, PlainPngRowsAreThoseTheLibraryGives) {
    const std::string base = testimg::Convert(
        "-seed 7 -size 67x41 gradient:red-blue -attenuate 3 +noise Gaussian -alpha set -channel A -fx 'i/w' +channel",
        dir + "/base.miff");
    ASSERT_FALSE(base.empty());
    const char* kinds[] = {"PNG24:", "PNG32:", "PNG48:", "PNG64:", "-define png:color-type=0 -depth 16 ",
                           "-define png:color-type=4 -depth 8 "};
    for (const char* kind : kinds)
        for (int filter = 0; filter <= 5; ++filter) {
            const std::string k(kind), where = std::to_string(filter) + k;
            const bool prefix = k.back() == ':';
            const std::string args = base + " -define png:compression-filter=" + std::to_string(filter) + " " +
                                     (prefix ? "" : k);
            PixelBuffer px[2];
            for (int interlaced : {0, 1}) {
                const std::string path = dir + "/" + std::to_string(interlaced) + ".png";
                ASSERT_FALSE(testimg::Convert(args + (interlaced ? " -interlace PNG" : ""), (prefix ? k : "") + path)
                                 .empty())
                    << where;
                ASSERT_TRUE(kerfel::DecodeSource(path, px[interlaced])) << where;
            }
            ASSERT_EQ(px[0].height, 41u) << where;
            EXPECT_EQ(0, std::memcmp(px[0].data.get(), px[1].data.get(), PixelBuffer::Bytes(67, 41))) << where;
        }
}

TEST_F(SourceFormats, DamageIsOneLineNamingTheFile) {
    TiffShape s;
    s.compression = COMPRESSION_LZW;
    const std::string tif = Tiff("cut.tif", s);
    const std::string png = testimg::Convert("-size 300x200 gradient:red-blue", dir + "/cut.png");
    for (const std::string& path : {tif, png}) {
        std::vector<uint8_t> bytes = testimg::ReadBytes(path);
        bytes.resize(bytes.size() * 2 / 3);
        testimg::WriteBytes(path, bytes);
        PixelBuffer px;
        const kerfel::Status s = kerfel::DecodeSource(path, px);
        EXPECT_FALSE(s) << path;
        EXPECT_EQ(s.message.rfind(path + ": ", 0), 0u) << s.message;
        EXPECT_EQ(s.message.find('\n'), std::string::npos) << s.message;
    }
    // Whole, but a byte of its pixel data changed.
    std::vector<uint8_t> bytes = testimg::ReadBytes(testimg::Convert("-size 300x200 gradient:red-blue", png));
    bytes[bytes.size() / 2] ^= 0x10;
    testimg::WriteBytes(png, bytes);
    PixelBuffer px;
    EXPECT_EQ(kerfel::DecodeSource(png, px).message, png + ": the PNG data is damaged (a chunk's CRC is wrong)");
    // A job inflates on a thread of its own: the error still reaches the user.
    std::filesystem::create_directory(dir + "/out");
    const clitest::Result made = clitest::Run({"make", png, dir + "/out", "--quiet"});
    EXPECT_NE(made.status, 0);
    EXPECT_NE(made.err.find("a chunk's CRC is wrong"), std::string::npos) << made.err;
}

TEST_F(SourceFormats, PicturesWiderThanJpegAllowsAreCut) {
    TiffShape s;
    s.width = 70000;
    s.height = 512;  // every level keeps a row
    s.compression = COMPRESSION_ADOBE_DEFLATE;
    const std::string wide = Tiff("wide.tif", s);
    const clitest::Result info = clitest::Run({"info", wide});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("70000 x 512 pixels, TIFF"), std::string::npos) << info.out;
    std::filesystem::create_directory(dir + "/out");
    const clitest::Result made = clitest::Run({"make", wide, dir + "/out", "--quiet"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(std::filesystem::exists(dir + "/out/wide/Images/9-273-0.jpg"));  // the last column of 274
}
