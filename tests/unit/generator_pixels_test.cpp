#include <gtest/gtest.h>

#include "engine/generator.h"
#include "engine/source_image.h"
#include "engine/tile_encoder.h"
#include "generator_test_util.h"
#include "whole_level_reference.h"

using namespace kerfel;

namespace {

PixelBuffer Crop(const PixelBuffer& src, unsigned x, unsigned y, unsigned w, unsigned h) {
    std::vector<uint8_t> px;
    CopyTilePixels(src, {x, y, w, h}, px);
    PixelBuffer b = PixelBuffer::Make(w, h);
    std::copy(px.begin(), px.end(), b.data.get());
    return b;
}

TEST(LevelScaler, AveragesEachTwoByTwoBlockAndDropsTheOddLastPixel) {
    PixelBuffer src = PixelBuffer::Make(5, 3);
    for (unsigned y = 0; y < 3; ++y)
        for (unsigned x = 0; x < 5; ++x)
            for (int c = 0; c < 3; ++c) src.Row(y)[x * 3 + c] = static_cast<uint8_t>(10 * x + 100 * y + c);
    PixelBuffer half = HalveLevel(src, 2, 1);
    ASSERT_EQ(half.width, 2u);
    ASSERT_EQ(half.height, 1u);
    // Block (0..1, 0..1): (0 + 10 + 100 + 110) / 4 = 55; next block 75.
    EXPECT_EQ(half.Row(0)[0], 55);
    EXPECT_EQ(half.Row(0)[2], 57);
    EXPECT_EQ(half.Row(0)[3], 75);

    // A checkerboard is grey after averaging; dropping pixels would keep one colour.
    PixelBuffer board = PixelBuffer::Make(8, 8);
    for (unsigned y = 0; y < 8; ++y)
        for (unsigned x = 0; x < 8; ++x)
            std::fill_n(board.Row(y) + x * 3, 3, static_cast<uint8_t>((x + y) % 2 ? 255 : 0));
    PixelBuffer grey = HalveLevel(board, 4, 4);
    for (size_t i = 0; i < 4 * 4 * 3; ++i) EXPECT_EQ(grey.data[i], 128);

    // A one-pixel-wide picture kept one pixel wide reuses its last column.
    PixelBuffer strip = PixelBuffer::Make(1, 4);
    std::fill_n(strip.data.get(), 12, uint8_t(200));
    PixelBuffer kept = HalveLevel(strip, 1, 2);
    EXPECT_EQ(kept.Row(1)[0], 200);
}

TEST(TileCutting, RectanglesAreTheGridClampedToTheLevel) {
    TileRect t = TileAt(1000, 800, 3, 3);
    EXPECT_EQ(t.x, 768u);
    EXPECT_EQ(t.y, 768u);
    EXPECT_EQ(t.width, 232u);
    EXPECT_EQ(t.height, 32u);
    EXPECT_EQ(TileAt(1000, 800, 4, 0).width, 0u);  // outside: empty, never a wrapped size
    EXPECT_EQ(TileAt(256, 256, 1, 0).width, 0u);

    PixelBuffer level = gentest::Gradient(300, 200);
    std::vector<uint8_t> px;
    TileRect r = CopyTilePixels(level, {256, 128, 256, 256}, px);
    EXPECT_EQ(r.width, 44u);
    EXPECT_EQ(r.height, 72u);
    ASSERT_EQ(px.size(), 44u * 72 * 3);
    EXPECT_EQ(px[0], level.Row(128)[256 * 3]);
    EXPECT_EQ(px[px.size() - 1], level.Row(199)[299 * 3 + 2]);
    EXPECT_EQ(CopyTilePixels(level, {300, 0, 10, 10}, px).width, 0u);
}

TEST(TileCutting, SavedTilesAreUprightAndFromTheirPlace) {
    const std::string dir = gentest::TempFolder();
    const PixelBuffer src = gentest::Gradient(600, 520);
    gentest::WriteJpeg(dir + "/g.jpg", src);
    TilePyramid p = TilePyramid::Build(NativeLayout(), 600, 520);
    JobResult r = GenerateTiles({dir + "/g.jpg", dir, p}, {});
    ASSERT_EQ(r.end, JobEnd::Finished) << r.status.message;

    // Compared with the source as it was encoded, since the source is a JPEG too.
    PixelBuffer decoded;
    ASSERT_TRUE(DecodeSource(dir + "/g.jpg", decoded).ok());
    PixelBuffer tile;
    ASSERT_TRUE(DecodeSource(dir + "/g/Images/2-1-2.jpg", tile).ok());
    EXPECT_EQ(tile.width, 256u);
    EXPECT_EQ(tile.height, 8u);
    EXPECT_LT(gentest::MeanDifference(tile, Crop(decoded, 256, 512, 256, 8)), 4.0);
    ASSERT_TRUE(DecodeSource(dir + "/g/Images/2-0-1.jpg", tile).ok());
    EXPECT_LT(gentest::MeanDifference(tile, Crop(decoded, 0, 256, 256, 256)), 4.0);
    // Upside down would put the high green values at the top.
    EXPECT_GT(gentest::MeanDifference(tile, Crop(decoded, 0, 0, 256, 256)), 20.0);

    // A smaller level is the averaged source, not a decimated one.
    PixelBuffer half = HalveLevel(decoded, 300, 260);
    ASSERT_TRUE(DecodeSource(dir + "/g/Images/1-1-1.jpg", tile).ok());
    EXPECT_EQ(tile.width, 44u);
    EXPECT_LT(gentest::MeanDifference(tile, Crop(half, 256, 256, 44, 4)), 4.0);
    std::filesystem::remove_all(dir);
}

TEST(TileEncoding, QualitySeventyAndTinyTiles) {
    TileEncoder enc;
    std::vector<uint8_t> jpeg;
    PixelBuffer one = gentest::Gradient(1, 1);
    ASSERT_TRUE(enc.Encode(one.data.get(), 1, 1, jpeg).ok());
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_FALSE(enc.Encode(one.data.get(), 0, 1, jpeg).ok());
    // Noise is the worst case for the encoder's output size.
    PixelBuffer noise = PixelBuffer::Make(256, 256);
    uint32_t seed = 1;
    for (size_t i = 0; i < PixelBuffer::Bytes(256, 256); ++i) noise.data[i] = (seed = seed * 1103515245 + 12345) >> 24;
    ASSERT_TRUE(enc.Encode(noise.data.get(), 256, 256, jpeg).ok());
    const std::string dir = gentest::TempFolder();
    ASSERT_TRUE(WriteWholeFile(dir + "/n.jpg", jpeg.data(), jpeg.size()).ok());
    PixelBuffer back;
    ASSERT_TRUE(DecodeSource(dir + "/n.jpg", back).ok());
    EXPECT_EQ(back.width, 256u);
    std::filesystem::remove_all(dir);
}

}  // namespace
