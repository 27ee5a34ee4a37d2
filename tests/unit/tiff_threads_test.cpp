// A tiled TIFF decodes each row of tiles on several threads, each with a
// handle of its own on the file: the rows are the same as on one thread,
// for tiles of one plane and of planes apart, and a damaged tile stops the
// picture with the same line.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <filesystem>
#include <fstream>

#include "engine/source_reader.h"
#include "test_images.h"
#include "test_tiffs.h"

namespace {

// Every row of the picture read with `threads` threads, a row at a time or
// in the bands the reader asks for (a row of tiles straight into them), or the error.
std::string ReadAll(const std::string& path, int threads, std::vector<uint8_t>& pixels, bool banded = false) {
    std::unique_ptr<kerfel::SourceReader> reader;
    kerfel::Status s = kerfel::OpenSource(path, reader);
    if (s) s = reader->Start(1, threads);
    if (!s) return s.message;
    const size_t rowBytes = size_t(reader->OutputWidth()) * 3;
    pixels.assign(rowBytes * reader->OutputHeight(), 0);
    std::vector<uint8_t*> rows;
    for (unsigned y = 0; y < reader->OutputHeight(); ++y) rows.push_back(pixels.data() + y * rowBytes);
    for (unsigned y = 0, n; y < reader->OutputHeight() && s; y += n) {
        n = banded ? std::min(reader->BandRows(), reader->OutputHeight() - y) : 1;
        s = reader->ReadRows(rows.data() + y, n);
    }
    return s ? "" : s.message;
}

TEST(TiffThreads, SeveralThreadsGiveTheRowsOneThreadGives) {
    const std::string dir = testimg::TempFolder();
    testimg::TiffShape chunky;
    chunky.width = 301;
    chunky.height = 77;
    chunky.tile = 16;
    chunky.compression = COMPRESSION_JPEG;
    testimg::TiffShape planes = chunky;
    planes.separate = true;
    planes.compression = COMPRESSION_ADOBE_DEFLATE;
    for (const auto& [name, shape] : {std::pair{"chunky.tif", chunky}, std::pair{"planes.tif", planes}}) {
        const std::string path = dir + "/" + name;
        ASSERT_TRUE(testimg::WriteTiff(path, shape));
        std::vector<uint8_t> one, four, banded;
        EXPECT_EQ(ReadAll(path, 1, one), "") << name;
        EXPECT_EQ(ReadAll(path, 4, four), "") << name;
        EXPECT_EQ(ReadAll(path, 2, banded, true), "") << name;
        EXPECT_TRUE(one == four) << name;
        EXPECT_TRUE(one == banded) << name;
    }
    // A tile in the middle of the second row of tiles is garbage: both stop there alike.
    const std::string path = dir + "/chunky.tif";
    {
        TIFF* tiff = TIFFOpen(path.c_str(), "r");
        ASSERT_TRUE(tiff);
        const uint64_t at = TIFFGetStrileOffset(tiff, TIFFComputeTile(tiff, 160, 16, 0, 0));
        TIFFClose(tiff);
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(at));
        f.write("\xff\xd8\xff\xc0\x00\x02\x00\x00\x00\x00", 10);
    }
    std::vector<uint8_t> pixels;
    const std::string alone = ReadAll(path, 1, pixels), shared = ReadAll(path, 4, pixels);
    EXPECT_NE(alone, "");
    EXPECT_EQ(shared, alone);
    EXPECT_EQ(ReadAll(path, 4, pixels, true), alone);
    std::filesystem::remove_all(dir);
}

}  // namespace
