// Deep Zoom: the level rule, the tile names and sizes and the .dzi, checked
// against sizes worked out by hand (level n is the picture; each level below
// is the one above halved rounding up; tiles repeat one pixel of each
// neighbour on inner edges), and the strips' overlapping tiles against the
// whole-picture rule.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <tuple>

#include "engine/descriptor.h"
#include "engine/generator.h"
#include "engine/strip_pyramid.h"
#include "engine/tile_paths.h"
#include "generator_test_util.h"
#include "whole_level_reference.h"

using namespace kerfel;

namespace {

const Layout& Dzi() { return *FindLayout("dzi"); }

std::vector<unsigned> V(std::initializer_list<unsigned> v) { return v; }

// Below the job folder "/j" of the job "p".
std::string Tile(const TilePyramid& p, int l, int c, int r) { return TilePaths(p, "/j", "p").Of(l, c, r).substr(3); }
std::pair<unsigned, unsigned> Size(const TilePyramid& p, int l, int c, int r) {
    return {p.ColumnSpan(l, c).size, p.RowSpan(l, r).size};
}
using WH = std::pair<unsigned, unsigned>;

TEST(DziLayout, IsListedWithItsDefaults) {
    ASSERT_NE(FindLayout("dzi"), nullptr);
    EXPECT_EQ(Dzi().tileSize, 256u);
    EXPECT_EQ(Dzi().overlap, 1u);
    EXPECT_TRUE(Dzi().browserViewer);
}

TEST(DziLayout, OnePixel) {
    const TilePyramid p = TilePyramid::Build(Dzi(), 1, 1);
    EXPECT_EQ(p.LevelCount(), 1);
    EXPECT_EQ(p.m_nTotalTiles, 1);
    EXPECT_EQ(Tile(p, 0, 0, 0), "p_files/0/0_0.jpg");
    EXPECT_EQ(Size(p, 0, 0, 0), WH(1, 1));
    EXPECT_TRUE(CheckPyramid(p).ok());
}

TEST(DziLayout, OneRowOf255) {
    const TilePyramid p = TilePyramid::Build(Dzi(), 255, 1);
    EXPECT_EQ(p.m_arrLevelWidth, V({1, 2, 4, 8, 16, 32, 64, 128, 255}));
    EXPECT_EQ(p.m_arrLevelHeight, V({1, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(p.m_nTotalTiles, 9);
    EXPECT_EQ(Tile(p, 8, 0, 0), "p_files/8/0_0.jpg");
    EXPECT_EQ(Size(p, 8, 0, 0), WH(255, 1));
    EXPECT_EQ(Size(p, 7, 0, 0), WH(128, 1));
    EXPECT_TRUE(CheckPyramid(p).ok());
}

TEST(DziLayout, OneTileExactly) {
    const TilePyramid p = TilePyramid::Build(Dzi(), 256, 256);
    EXPECT_EQ(p.m_arrLevelWidth, V({1, 2, 4, 8, 16, 32, 64, 128, 256}));
    EXPECT_EQ(p.m_nTotalTiles, 9);
    EXPECT_EQ(p.Columns(8), 1);
    EXPECT_EQ(Size(p, 8, 0, 0), WH(256, 256));  // no neighbour, no overlap
}

TEST(DziLayout, OnePixelMoreThanATile) {
    const TilePyramid p = TilePyramid::Build(Dzi(), 257, 257);
    EXPECT_EQ(p.m_arrLevelWidth, V({1, 2, 3, 5, 9, 17, 33, 65, 129, 257}));
    EXPECT_EQ(p.m_nTotalTiles, 4 + 9);
    EXPECT_EQ(Size(p, 9, 0, 0), WH(257, 257));  // 256 and one of the neighbour
    EXPECT_EQ(Size(p, 9, 1, 0), WH(2, 257));    // its own pixel and one before it
    EXPECT_EQ(Size(p, 9, 1, 1), WH(2, 2));
    EXPECT_EQ(Tile(p, 9, 1, 0), "p_files/9/1_0.jpg");
    EXPECT_EQ(Size(p, 8, 0, 0), WH(129, 129));
    EXPECT_EQ(p.ColumnSpan(9, 1).start, 255u);
}

TEST(DziLayout, APhotographOf1500By1100) {
    const TilePyramid p = TilePyramid::Build(Dzi(), 1500, 1100);
    EXPECT_EQ(p.m_arrLevelWidth, V({1, 2, 3, 6, 12, 24, 47, 94, 188, 375, 750, 1500}));
    EXPECT_EQ(p.m_arrLevelHeight, V({1, 2, 3, 5, 9, 18, 35, 69, 138, 275, 550, 1100}));
    EXPECT_EQ(p.Columns(11), 6);
    EXPECT_EQ(p.Rows(11), 5);
    EXPECT_EQ(p.m_nTotalTiles, 30 + 9 + 4 + 9);
    EXPECT_EQ(Size(p, 11, 0, 0), WH(257, 257));
    EXPECT_EQ(Size(p, 11, 1, 1), WH(258, 258));  // inner on every side
    EXPECT_EQ(Size(p, 11, 5, 4), WH(221, 77));   // from 1279 and 1023 to the edges
    EXPECT_EQ(Size(p, 10, 2, 2), WH(239, 39));   // 750 x 550, from 511
    EXPECT_EQ(Size(p, 9, 1, 1), WH(120, 20));    // 375 x 275, from 255
    EXPECT_EQ(Size(p, 8, 0, 0), WH(188, 138));
    EXPECT_EQ(Tile(p, 11, 5, 4), "p_files/11/5_4.jpg");
    EXPECT_EQ(Tile(p, 0, 0, 0), "p_files/0/0_0.jpg");
    const std::vector<std::string> folders = TilePaths(p, "/j", "p").Folders();
    ASSERT_EQ(folders.size(), 13u);
    EXPECT_EQ(folders.front(), "p_files");
    EXPECT_EQ(folders.back(), "p_files/11");
}

TEST(DziLayout, AVeryLongRowAndColumn) {
    const auto widths = V({1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2047, 4094, 8188, 16375, 32750, 65500});
    const TilePyramid row = TilePyramid::Build(Dzi(), 65500, 1);
    EXPECT_EQ(row.m_arrLevelWidth, widths);
    EXPECT_EQ(row.LevelCount(), 17);
    EXPECT_EQ(row.Columns(16), 256);
    EXPECT_EQ(Size(row, 16, 255, 0), WH(221, 1));  // from 65279
    EXPECT_EQ(Tile(row, 16, 255, 0), "p_files/16/255_0.jpg");
    // levels 16 to 9 (65500 down to 512 pixels), then one tile each
    EXPECT_EQ(row.m_nTotalTiles, 256 + 128 + 64 + 32 + 16 + 8 + 4 + 2 + 9);
    EXPECT_TRUE(CheckPyramid(row).ok());

    const TilePyramid column = TilePyramid::Build(Dzi(), 1, 65500);
    EXPECT_EQ(column.m_arrLevelHeight, widths);
    EXPECT_EQ(column.Rows(16), 256);
    EXPECT_EQ(Size(column, 16, 0, 255), WH(1, 221));
    EXPECT_EQ(Tile(column, 16, 0, 255), "p_files/16/0_255.jpg");
    EXPECT_EQ(column.m_nTotalTiles, row.m_nTotalTiles);
}

TEST(DziLayout, TheDescriptorNamesTheTilesAndSize) {
    DescriptorValues v;
    v.layout = &WithTiles(Dzi(), 510, 2);
    v.width = 1500;
    v.height = 1100;
    ASSERT_EQ(Dzi().files.size(), 1u);
    EXPECT_STREQ(Dzi().files[0].name, "{name}.dzi");
    EXPECT_EQ(Dzi().files[0].text(v),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<Image xmlns=\"http://schemas.microsoft.com/deepzoom/2008\" TileSize=\"510\" Overlap=\"2\" "
              "Format=\"jpg\">\n"
              "  <Size Width=\"1500\" Height=\"1100\"/>\n"
              "</Image>\n");
}

TEST(LayoutTiles, WhatALayoutMayChangeAndOneCopyEach) {
    EXPECT_EQ(TilesRefusal(Dzi(), 512, 4), "");
    EXPECT_EQ(TilesRefusal(Dzi(), 16, 15), "");
    EXPECT_EQ(TilesRefusal(Dzi(), 15, 0), "--tile-size 15 is outside 16 to 4096");
    EXPECT_EQ(TilesRefusal(Dzi(), 4097, 0), "--tile-size 4097 is outside 16 to 4096");
    EXPECT_EQ(TilesRefusal(Dzi(), 256, 256), "--overlap 256 is not below the tile size 256");
    EXPECT_EQ(TilesRefusal(NativeLayout(), 256, 0), "");
    EXPECT_EQ(TilesRefusal(NativeLayout(), 512, 0), "the kerfel layout has tiles of 256 pixels only, not --tile-size 512");
    EXPECT_EQ(TilesRefusal(NativeLayout(), 256, 1), "the kerfel layout takes no --overlap 1 (its tiles overlap by 0)");

    EXPECT_EQ(&WithTiles(Dzi(), 256, 1), &Dzi());
    const Layout& big = WithTiles(Dzi(), 510, 2);
    EXPECT_EQ(&WithTiles(Dzi(), 510, 2), &big);
    EXPECT_STREQ(big.name, "dzi");
    EXPECT_EQ(big.tileSize, 510u);
    EXPECT_EQ(big.overlap, 2u);
    EXPECT_EQ(std::string(big.tilePath), Dzi().tilePath);
}

// Every tile of every level, overlap and all, is the whole level's rectangle
// around it, with overlaps of one pixel, of exactly half a tile and of more
// than half (where a row lies in three strips).
using Key = std::tuple<int, int, int>;
struct CopyingSink : TileSink {
    std::map<Key, std::vector<uint8_t>> tiles;
    Status Take(const TileCut& t) override {
        std::vector<uint8_t>& px = tiles[{t.level, t.column, t.row}];
        for (unsigned y = 0; y < t.height; ++y)
            px.insert(px.end(), t.pixels + y * t.stride, t.pixels + y * t.stride + t.width * 3);
        return Status::Ok();
    }
    Status AwaitReaders(int* readers) override { return *readers == 0 ? Status::Ok() : Status::Output("busy"); }
};

TEST(DziStrips, OverlappingTilesAreTheWholeLevelsRectangles) {
    const unsigned sizes[][2] = {{1, 1}, {255, 1}, {257, 257}, {300, 41}, {97, 530}, {1030, 600}};
    const std::pair<unsigned, unsigned> tiles[] = {{256, 1}, {16, 8}, {16, 15}, {20, 3}};
    for (const auto& [edge, overlap] : tiles)
        for (const auto& size : sizes) {
            const unsigned w = size[0], h = size[1];
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " tiles " + std::to_string(edge) + "+" +
                         std::to_string(overlap));
            const TilePyramid table = TilePyramid::Build(WithTiles(Dzi(), edge, overlap), w, h);
            ASSERT_TRUE(CheckPyramid(table).ok());
            const PixelBuffer src = gentest::Gradient(w, h);
            CopyingSink sink;
            StripPyramid strips(table, sink);
            std::vector<uint8_t*> rows;
            for (unsigned y = 0; !strips.Complete();) {
                ASSERT_TRUE(strips.NextRows(rows).ok());
                const unsigned n = std::min<unsigned>(7, static_cast<unsigned>(rows.size()));
                for (unsigned i = 0; i < n; ++i) std::memcpy(rows[i], src.Row(y + i), src.Stride());
                y += n;
                ASSERT_TRUE(strips.Filled(n).ok());
            }
            ASSERT_EQ(static_cast<int>(sink.tiles.size()), table.m_nTotalTiles);
            PixelBuffer level = PixelBuffer::Make(w, h);
            std::memcpy(level.data.get(), src.data.get(), PixelBuffer::Bytes(w, h));
            for (int l = table.LevelCount() - 1; l >= 0; --l) {
                for (int c = 0; c < table.Columns(l); ++c)
                    for (int r = 0; r < table.Rows(l); ++r) {
                        // From a tile before the tile's own start to a tile after its end.
                        const unsigned x0 = c ? c * edge - overlap : 0, y0 = r ? r * edge - overlap : 0;
                        TileRect rect{x0, y0, (c + 1) * edge + overlap - x0, (r + 1) * edge + overlap - y0};
                        std::vector<uint8_t> expected;
                        CopyTilePixels(level, rect, expected);
                        ASSERT_EQ(sink.tiles[Key(l, c, r)], expected) << "tile " << l << "/" << c << "_" << r;
                    }
                if (l > 0) level = HalveLevel(level, table.m_arrLevelWidth[l - 1], table.m_arrLevelHeight[l - 1]);
            }
        }
}

// The overlap adds its rows to each strip, never a strip per level.
TEST(DziStrips, HoldTwoStripsOfATileAndItsOverlap) {
    const TilePyramid tall = TilePyramid::Build(Dzi(), 300, 5000);
    CopyingSink sink;
    StripPyramid strips(tall, sink);
    std::vector<uint8_t*> rows;
    const PixelBuffer src = gentest::Gradient(300, 5000);
    for (unsigned y = 0; !strips.Complete();) {
        ASSERT_TRUE(strips.NextRows(rows).ok());
        for (unsigned i = 0; i < rows.size(); ++i) std::memcpy(rows[i], src.Row(y + i), src.Stride());
        y += static_cast<unsigned>(rows.size());
        ASSERT_TRUE(strips.Filled(static_cast<unsigned>(rows.size())).ok());
    }
    const unsigned long long held = strips.HeldBytes();
    EXPECT_LE(held, 2ull * 258 * 300 * 3 * 2);
    EXPECT_GE(held, 2ull * 258 * 300 * 3);
}

}  // namespace
