#include <gtest/gtest.h>

#include "engine/tile_pyramid.h"

using kerfel::TilePyramid;

namespace {
std::vector<unsigned> V(std::initializer_list<unsigned> v) { return v; }
}  // namespace

TEST(TilePyramid, ThousandByEightHundredHasFourLevelsAndThreeEntries) {
    TilePyramid p = TilePyramid::Build(kerfel::NativeLayout(), 1000, 800);
    EXPECT_EQ(p.m_arrLevelWidth, V({125, 250, 500, 1000}));
    EXPECT_EQ(p.m_arrLevelHeight, V({100, 200, 400, 800}));
    EXPECT_EQ(p.m_arrLevelIndex, V({0, 1, 2, 3}));
    EXPECT_EQ(p.m_nTotalTiles, 22);
    EXPECT_EQ(p.m_arrListEntries, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(kerfel::SizeText(p.DisplayWidth(1), p.DisplayHeight(1)), "1000 x 800");
    EXPECT_EQ(kerfel::SizeText(p.DisplayWidth(2), p.DisplayHeight(2)), "500 x 400");
    EXPECT_EQ(kerfel::SizeText(p.DisplayWidth(3), p.DisplayHeight(3)), "250 x 200");
}

TEST(TilePyramid, SmallSourcesGiveFewLevelsAndNoEntries) {
    TilePyramid a = TilePyramid::Build(kerfel::NativeLayout(), 200, 150);
    EXPECT_EQ(a.m_arrLevelWidth, V({100, 200}));
    EXPECT_EQ(a.m_nTotalTiles, 2);
    EXPECT_TRUE(a.m_arrListEntries.empty());
    EXPECT_EQ(TilePyramid::Build(kerfel::NativeLayout(), 195, 100).LevelCount(), 1);
    TilePyramid b = TilePyramid::Build(kerfel::NativeLayout(), 196, 10);
    EXPECT_EQ(b.m_arrLevelWidth, V({98, 196}));
    EXPECT_EQ(b.m_arrLevelHeight, V({5, 10}));
    EXPECT_EQ(TilePyramid::Build(kerfel::NativeLayout(), 1, 1).m_nTotalTiles, 1);
}

TEST(TilePyramid, OddSidesLoseTheirLastPixelAtEveryHalving) {
    TilePyramid p = TilePyramid::Build(kerfel::NativeLayout(), 1001, 801);
    EXPECT_EQ(p.m_arrLevelWidth, V({125, 250, 500, 1001}));
    EXPECT_EQ(p.m_arrLevelHeight, V({100, 200, 400, 801}));
}

TEST(TilePyramid, TileColumnsRoundUp) {
    EXPECT_EQ(TilePyramid::Build(kerfel::NativeLayout(), 256, 10).Columns(1), 1);
    const TilePyramid p = TilePyramid::Build(kerfel::NativeLayout(), 257, 10);
    EXPECT_EQ(p.Columns(1), 2);
    EXPECT_EQ(p.ColumnSpan(1, 1).start, 256u);
    EXPECT_EQ(p.ColumnSpan(1, 1).size, 1u);
    EXPECT_EQ(p.m_nTotalTiles, 2 + 1);
}

TEST(TilePyramid, SmallestLevelOfLargeSourcesIsBetween98And195) {
    for (unsigned side : {196u, 391u, 1000u, 12345u, 65500u}) {
        TilePyramid p = TilePyramid::Build(kerfel::NativeLayout(), side, side / 3 + 1);
        unsigned w = p.m_arrLevelWidth.front();
        EXPECT_GE(w, 98u) << side;
        EXPECT_LE(w, 195u) << side;
        EXPECT_EQ(TilePyramid::Build(kerfel::NativeLayout(), side, 1).m_arrListEntries.empty(), side < 250) << side;
    }
}

TEST(TilePyramid, TenOrMoreEntriesAndTotals) {
    TilePyramid p = TilePyramid::Build(kerfel::NativeLayout(), 60000, 40000);
    EXPECT_EQ(p.m_arrListEntries.size(), 8u);  // 60000 / 2^7 = 468 still reaches 250
    long long sum = 0;
    for (int i = 0; i < p.LevelCount(); ++i)
        sum += p.LevelTiles(i);
    EXPECT_EQ(sum, p.m_nTotalTiles);
}

TEST(ParseLevelText, TakesLeadingDigitsOnly) {
    EXPECT_EQ(kerfel::ParseLevelText("3"), 3);
    EXPECT_EQ(kerfel::ParseLevelText("12abc"), 12);
    EXPECT_EQ(kerfel::ParseLevelText(""), 0);
    EXPECT_EQ(kerfel::ParseLevelText("x"), 0);
}
