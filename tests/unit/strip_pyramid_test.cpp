#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <map>
#include <thread>
#include <tuple>

#include "engine/cut_pyramid.h"
#include "engine/generator.h"
#include "engine/memory_rule.h"
#include "engine/source_image.h"
#include "engine/strip_pyramid.h"
#include "engine/tile_encoder.h"
#include "generator_test_util.h"
#include "test_layouts.h"
#include "whole_level_reference.h"

using namespace kerfel;

namespace {

using Key = std::tuple<int, int, int>;

// Keeps every tile's pixels, in the order they come.
struct CopyingSink : TileSink {
    std::map<Key, std::vector<uint8_t>> tiles;
    std::vector<Key> order;
    Status Take(const TileCut& t) override {
        std::vector<uint8_t>& px = tiles[{t.level, t.column, t.row}];
        for (unsigned y = 0; y < t.height; ++y)
            px.insert(px.end(), t.pixels + y * t.stride, t.pixels + y * t.stride + t.width * 3);
        order.emplace_back(t.level, t.column, t.row);
        return Status::Ok();
    }
    Status AwaitReaders(int* readers) override { return *readers == 0 ? Status::Ok() : Status::Output("busy"); }
};

// Feeds the picture in bands of `band` rows.
Status Feed(StripPyramid& strips, const PixelBuffer& src, unsigned band) {
    std::vector<uint8_t*> rows;
    unsigned y = 0;
    while (!strips.Complete()) {
        Status s = strips.NextRows(rows);
        if (!s) return s;
        const unsigned n = std::min<unsigned>(band, static_cast<unsigned>(rows.size()));
        for (unsigned i = 0; i < n; ++i) std::memcpy(rows[i], src.Row(y + i), src.Stride());
        y += n;
        if (!(s = strips.Filled(n))) return s;
    }
    return Status::Ok();
}

// The sizes where strip code goes wrong: a column or row of one pixel, a
// strip of one row at the bottom, levels of one tile, odd sides halved down
// or up, and tiles of an odd size.
TEST(StripPyramid, TilesAreTheWholePictureRuleOnAwkwardSizes) {
    const unsigned sizes[][2] = {{255, 300}, {256, 257}, {257, 513}, {511, 769}, {513, 255}, {1030, 600}};
    for (const Layout* layout : {&NativeLayout(), &testlayouts::kHalvingUp, &testlayouts::kOddTiles})
    for (const auto& size : sizes) {
        const unsigned w = size[0], h = size[1];
        SCOPED_TRACE(layout->name);
        const TilePyramid table = TilePyramid::Build(*layout, w, h);
        const PixelBuffer src = gentest::Gradient(w, h);
        CopyingSink sink;
        StripPyramid strips(table, sink);
        ASSERT_TRUE(Feed(strips, src, w % 7 + 3).ok()) << w << "x" << h;
        EXPECT_EQ(static_cast<int>(sink.tiles.size()), table.m_nTotalTiles) << w << "x" << h;

        PixelBuffer level = PixelBuffer::Make(w, h);
        std::memcpy(level.data.get(), src.data.get(), PixelBuffer::Bytes(w, h));
        for (int l = table.LevelCount() - 1; l >= 0; --l) {
            for (int c = 0; c < table.Columns(l); ++c)
                for (int r = 0; r < table.Rows(l); ++r) {
                    std::vector<uint8_t> expected;
                    CopyTilePixels(level, TileAt(level.width, level.height, c, r, table.TileSize()), expected);
                    EXPECT_EQ(sink.tiles[Key(l, c, r)], expected) << w << "x" << h << " tile " << l << "-" << c << "-" << r;
                }
            if (l > 0) level = HalveLevel(level, table.m_arrLevelWidth[l - 1], table.m_arrLevelHeight[l - 1]);
        }
        // Within a level, strip after strip, each left to right.
        std::map<int, Key> last;
        for (const Key& k : sink.order) {
            const int l = std::get<0>(k);
            if (last.count(l)) {
                EXPECT_LT(std::make_pair(std::get<2>(last[l]), std::get<1>(last[l])),
                          std::make_pair(std::get<2>(k), std::get<1>(k)));
            }
            last[l] = k;
        }
    }
}

// One strip a tile high per level, a second for the levels that have more:
// memory follows the width, not the height.
TEST(StripPyramid, HoldsStripsNotLevels) {
    const TilePyramid tall = TilePyramid::Build(NativeLayout(), 300, 5000);
    CopyingSink sink;
    StripPyramid strips(tall, sink);
    ASSERT_TRUE(Feed(strips, gentest::Gradient(300, 5000), 64).ok());
    const unsigned long long held = strips.HeldBytes();
    EXPECT_LE(held, 2ull * 256 * 300 * 3 * 2);
    EXPECT_GE(held, 256ull * 300 * 3);
}

// Events that keep the files of the tiles started and written, in order.
JobEvents Recording(std::vector<std::string>* started, std::vector<std::string>* written) {
    JobEvents events;
    events.tell = [=](const JobEvent& e) {
        if (e.kind == JobEvent::Kind::TileStarted && started) started->push_back(e.tile);
        if (e.kind != JobEvent::Kind::TileWritten || !written) return;
        EXPECT_TRUE(std::filesystem::exists(e.tile)) << e.tile;
        written->push_back(e.tile);
    };
    return events;
}

struct EncodePoolThreads : ::testing::Test {
    std::string dir = gentest::TempFolder(), source = dir + "/photo.jpg";
    TilePyramid table = TilePyramid::Build(NativeLayout(), 1000, 800);
    TilePaths paths{table, dir, "photo"};  // dir/Images/level-column-row.jpg
    void SetUp() override {
        gentest::WriteJpeg(source, gentest::Gradient(1000, 800));
        std::filesystem::create_directory(dir + "/Images");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

// Tiles are reported in the order they were cut, each once and only when
// on disk, however many threads encode them; a stop in the middle of a
// strip keeps exactly what was reported, whole.
TEST_F(EncodePoolThreads, ReportsInCutOrderAndStopKeepsWhatIsWritten) {
    for (int threads : {-1, 1, 3}) {
        std::filesystem::remove_all(dir + "/Images");
        std::filesystem::create_directory(dir + "/Images");
        std::vector<std::string> started, written;
        JobEvents events = Recording(&started, &written);
        ASSERT_TRUE(CutPyramid(source, table, paths, threads, 0, events).ok());
        EXPECT_EQ(written, started) << threads;
        EXPECT_EQ(static_cast<int>(written.size()), table.m_nTotalTiles);

        std::filesystem::remove_all(dir + "/Images");
        std::filesystem::create_directory(dir + "/Images");
        written.clear();
        events.stopRequested = [&] { return written.size() >= 2; };  // in the first strip of 4 tiles
        Status s = CutPyramid(source, table, paths, threads, 0, events);
        EXPECT_EQ(s.fault, Fault::Cancelled) << threads;
        std::set<std::string> names;
        for (const std::string& p : written) names.insert(p.substr(p.rfind('/') + 1));
        EXPECT_EQ(gentest::Names(dir + "/Images"), names) << threads;
        if (threads < 0) {
            EXPECT_EQ(written.size(), 2u);
        }
    }
}

// Tiles that finish while the job's thread polls for a stop (a slow poll
// lets the encoders finish the last tiles meanwhile) are still seen: the
// job ends instead of waiting for a wake-up that came already.
TEST_F(EncodePoolThreads, TilesFinishedDuringASlowStopPollEndTheJob) {
    std::vector<std::string> written;
    JobEvents events = Recording(nullptr, &written);
    events.stopRequested = [] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return false;
    };
    ASSERT_TRUE(CutPyramid(source, table, paths, 2, 0, events).ok());
    EXPECT_EQ(static_cast<int>(written.size()), table.m_nTotalTiles);
}

// The first tile that cannot be written, in cut order, ends the job and is
// named; the tiles before it are reported, none after it.
TEST_F(EncodePoolThreads, AWriteFailureInTheMiddleOfAStripNamesItsTile) {
    for (int threads : {-1, 2}) {
        std::filesystem::remove_all(dir + "/Images");
        std::filesystem::create_directories(dir + "/Images/3-2-1.jpg");  // a folder where the tile goes
        std::vector<std::string> written;
        JobEvents events = Recording(nullptr, &written);
        Status s = CutPyramid(source, table, paths, threads, 0, events);
        EXPECT_EQ(s.fault, Fault::OutputFailed);
        EXPECT_EQ(s.message.rfind(dir + "/Images/3-2-1.jpg: ", 0), 0u) << s.message;
        EXPECT_EQ(written.size(), 6u) << threads;  // 3-0-0 .. 3-3-0, 3-0-1, 3-1-1
        for (const std::string& n : gentest::Names(dir + "/Images")) EXPECT_NE(n[0], '.') << n;
    }
}

// What cannot stream is sized from the header and refused above the limit
// before anything is written; what streams needs no such memory.
TEST_F(EncodePoolThreads, TheMemoryRuleRefusesOnlyWhatCannotStream) {
    const std::string progressive = dir + "/progressive.jpg";
    ASSERT_EQ(std::system(("convert '" + source + "' -interlace JPEG '" + progressive + "'").c_str()), 0);
    JobEvents events;
    Status s = CutPyramid(progressive, table, paths, 2, 1 << 20, events);
    EXPECT_EQ(s.fault, Fault::OutputFailed);
    EXPECT_EQ(s.message.rfind(progressive + ": ", 0), 0u) << s.message;
    EXPECT_NE(s.message.find("would need 2.3 MiB"), std::string::npos) << s.message;  // 4:2:0: 3 bytes a pixel
    EXPECT_TRUE(gentest::Names(dir + "/Images").empty());
    EXPECT_TRUE(CutPyramid(progressive, table, paths, 2, 3 << 20, events).ok());
    EXPECT_TRUE(CutPyramid(source, table, paths, 2, 1, events).ok());

    PixelBuffer thumb;
    SourceInfo info;
    EXPECT_FALSE(DecodeThumbnail(progressive, 100, thumb, info, 1 << 20).ok());
    ASSERT_TRUE(DecodeThumbnail(source, 100, thumb, info, 1).ok());
    EXPECT_EQ(thumb.width, 100u);
    EXPECT_EQ(thumb.height, 80u);

    EXPECT_EQ(MemoryText(1536), "1.5 KiB");
    EXPECT_EQ(MemoryText(3ull << 30), "3.0 GiB");
}

// Tiles of the same picture are byte for byte what the earlier whole-picture
// path wrote: colour, grey and Adobe CMYK sources.
TEST(ReferenceJob, TilesAreByteIdenticalToTheEarlierPath) {
    const std::string ref = std::string(KERFEL_TEST_DIR) + "/data/reference";
    const std::string dir = gentest::TempFolder();
    for (const char* name : {"source", "grey", "cmyk"}) {
        const std::string jpeg = ref + "/" + name + ".jpg";
        SourceInfo info;
        ASSERT_TRUE(InspectSource(jpeg, info).ok()) << name;
        const std::string images = dir + "/" + name + "/Images";
        std::filesystem::create_directories(images);
        const TilePyramid table = TilePyramid::Build(NativeLayout(), info.width, info.height);
        ASSERT_TRUE(CutPyramid(jpeg, table, TilePaths(table, dir + "/" + name, name), 2, 0, {}).ok()) << name;
        const std::set<std::string> names = gentest::Names(ref + "/" + name);
        EXPECT_EQ(gentest::Names(images), names) << name;
        for (const std::string& n : names)
            EXPECT_EQ(gentest::ReadAll(images + "/" + n), gentest::ReadAll(ref + "/" + name + "/" + n)) << name << "/" << n;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
