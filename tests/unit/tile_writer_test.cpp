#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/tile_writer.h"
#include "generator_test_util.h"

using namespace kerfel;

namespace {

using gentest::ReadAll;

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(TileWriter, WritesEveryTileWholeAndStopsAtTheFirstFailure) {
    const std::string dir = gentest::TempFolder();
    {
        TileWriter writer(2);  // a short queue, so Submit has to wait for the thread
        for (int i = 0; i < 40; ++i) {
            std::vector<uint8_t> jpeg = Bytes("tile " + std::to_string(i) + std::string(i * 100, 'x'));
            ASSERT_TRUE(writer.Submit(dir + "/" + std::to_string(i) + ".jpg", jpeg).ok());
            EXPECT_TRUE(jpeg.empty());  // handed over; an emptied earlier buffer comes back
        }
        ASSERT_TRUE(writer.Drain().ok());
        EXPECT_EQ(writer.Written(), 40);
    }
    for (int i = 0; i < 40; ++i) {
        const std::string expected = "tile " + std::to_string(i) + std::string(i * 100, 'x');
        EXPECT_EQ(ReadAll(dir + "/" + std::to_string(i) + ".jpg"), expected) << i;
    }
    EXPECT_EQ(gentest::Names(dir).size(), 40u);  // no temporary left beside them

    // A tile that cannot be written: the failure names it, nothing queued
    // after it is written, and later tiles are refused.
    const std::string fresh = dir + "/after";
    std::filesystem::create_directory(fresh);
    TileWriter writer(64);
    std::vector<uint8_t> jpeg = Bytes("lost");
    ASSERT_TRUE(writer.Submit(dir + "/missing/0.jpg", jpeg).ok());
    for (int i = 0; i < 10; ++i) {
        jpeg = Bytes("late");
        if (!writer.Submit(fresh + "/" + std::to_string(i) + ".jpg", jpeg).ok()) break;
    }
    Status s = writer.Drain();
    EXPECT_EQ(s.fault, Fault::OutputFailed);
    EXPECT_NE(s.message.find("missing/0.jpg"), std::string::npos) << s.message;
    EXPECT_EQ(writer.Written(), 0);
    EXPECT_TRUE(gentest::Names(fresh).empty());
    jpeg = Bytes("refused");
    EXPECT_EQ(writer.Submit(fresh + "/x.jpg", jpeg).fault, Fault::OutputFailed);
    std::filesystem::remove_all(dir);
}

}  // namespace
