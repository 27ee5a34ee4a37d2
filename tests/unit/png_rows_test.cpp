// A plain PNG's rows as read without libpng: the pixel-wide filters against
// the format's own byte-wise definition, and pixel data cut into chunks
// anywhere, some of them empty.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "engine/png_unfilter.h"
#include "engine/source_image.h"
#include "test_images.h"

namespace {

// The predictor as the format defines it, one byte at a time.
int Predicted(int filter, int a, int b, int c) {
    if (filter == 1) return a;
    if (filter == 2) return b;
    if (filter == 3) return (a + b) / 2;
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

}  // namespace

TEST(PngRows, EveryFilterAtEveryPixelSizeUndoesAsDefined) {
    std::mt19937 random(5);
    for (unsigned step : {1u, 2u, 3u, 4u, 6u, 8u})
        for (unsigned pixels : {1u, 2u, 67u})
            for (uint8_t filter = 1; filter <= 4; ++filter) {
                const size_t bytes = size_t(step) * pixels;
                std::vector<uint8_t> above(bytes), row(bytes), want(bytes);
                for (size_t i = 0; i < bytes; ++i) above[i] = uint8_t(random()), row[i] = uint8_t(random());
                for (size_t i = 0; i < bytes; ++i) {
                    const int a = i >= step ? want[i - step] : 0, c = i >= step ? above[i - step] : 0;
                    want[i] = uint8_t(row[i] + Predicted(filter, a, above[i], c));
                }
                ASSERT_TRUE(kerfel::UnfilterRow(filter, row.data(), above.data(), bytes, step));
                EXPECT_EQ(row, want) << "filter " << int(filter) << ", " << step << " bytes, " << pixels << " pixels";
            }
    uint8_t byte = 0;
    EXPECT_FALSE(kerfel::UnfilterRow(5, &byte, &byte, 1, 1));
}

TEST(PngRows, PixelDataInChunksOfAnySizeReadsTheSame) {
    const std::string dir = testimg::TempFolder();
    const std::string path = dir + "/whole.png";
    ASSERT_FALSE(testimg::Convert("-seed 2 -size 90x50 plasma:", "PNG48:" + path).empty());
    const std::vector<uint8_t> png = testimg::ReadBytes(path);
    ASSERT_GT(png.size(), 8u);
    // The chunks before the pixels, the pixel data, the end.
    std::vector<uint8_t> head(png.begin(), png.begin() + 8), data;
    for (size_t at = 8; at + 12 <= png.size();) {
        const size_t length = size_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        if (std::memcmp(&png[at + 4], "IDAT", 4) == 0) data.insert(data.end(), &png[at + 8], &png[at + 8 + length]);
        else if (std::memcmp(&png[at + 4], "IEND", 4) != 0) head.insert(head.end(), &png[at], &png[at + 12 + length]);
        at += 12 + length;
    }
    auto chunk = [](std::vector<uint8_t>& out, const char* type, const uint8_t* bytes, size_t n) {
        const uint8_t length[4] = {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
        out.insert(out.end(), length, length + 4);
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), bytes, bytes + n);
        uLong crc = crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4), bytes, static_cast<uInt>(n));
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(crc >> shift));
    };
    std::vector<uint8_t> cut = head;
    for (size_t at = 0, n = 1; at < data.size(); at += n, n = n * 3 + 1) {
        n = std::min(n, data.size() - at);
        chunk(cut, "IDAT", data.data() + at, n);
        chunk(cut, "IDAT", data.data(), 0);
    }
    chunk(cut, "IEND", data.data(), 0);
    testimg::WriteBytes(dir + "/cut.png", cut);
    kerfel::PixelBuffer whole, pieces;
    ASSERT_TRUE(kerfel::DecodeSource(path, whole));
    ASSERT_TRUE(kerfel::DecodeSource(dir + "/cut.png", pieces));
    EXPECT_EQ(0, std::memcmp(whole.data.get(), pieces.data.get(), kerfel::PixelBuffer::Bytes(90, 50)));
    std::filesystem::remove_all(dir);
}
