#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "engine/generator.h"
#include "generator_test_util.h"

using namespace kerfel;

namespace {

// Every file of a job folder's Images, by name.
std::map<std::string, std::string> TileBytes(const std::string& images) {
    std::map<std::string, std::string> out;
    for (const std::string& name : gentest::Names(images)) {
        std::ifstream f(images + "/" + name, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        out[name] = s.str();
    }
    return out;
}

// The overlapped path (a writer thread, the next level made beside the
// encoding) must give the very bytes of the one-thread path, on a picture
// with odd sides, so edge tiles and the clamped last row and column of every
// halving are compared too.
TEST(GeneratorPaths, OverlappedJobWritesTheSameBytesAsTheOneThreadJob) {
    const std::string dir = gentest::TempFolder();
    const std::string source = dir + "/odd.jpg";
    kerfel::PixelBuffer picture = gentest::Gradient(1533, 1029);
    // Detail that survives into the small levels.
    for (unsigned y = 0; y < picture.height; ++y)
        for (unsigned x = 0; x < picture.width; ++x)
            picture.Row(y)[x * 3 + 2] ^= static_cast<uint8_t>((x * 7 + y * 13) & 0x3f);
    gentest::WriteJpeg(source, picture);

    std::map<std::string, std::string> tiles[2];
    for (int plain = 0; plain < 2; ++plain) {
        const std::string out = dir + (plain ? "/plain" : "/overlapped");
        std::filesystem::create_directory(out);
        GeneratorJob job{source, out, TilePyramid::Build(NativeLayout(), 1533, 1029)};
        job.oneThread = plain == 1;
        JobResult r = GenerateTiles(job, {});
        ASSERT_EQ(r.end, JobEnd::Finished) << r.status.message;
        EXPECT_EQ(r.tilesWritten, job.pyramid.m_nTotalTiles);
        tiles[plain] = TileBytes(out + "/odd/Images");
        EXPECT_EQ(static_cast<int>(tiles[plain].size()), job.pyramid.m_nTotalTiles);
    }
    ASSERT_EQ(tiles[0].size(), tiles[1].size());
    for (const auto& [name, bytes] : tiles[1]) {
        ASSERT_EQ(tiles[0].count(name), 1u) << name;
        EXPECT_TRUE(tiles[0][name] == bytes) << name << " differs between the two paths";
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
