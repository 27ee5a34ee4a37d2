// What choosing a file in the dialog costs: the header (sizes and levels
// list), then the thumbnail decoded as the dialog's worker thread decodes
// it. Prints "header_s thumbnail_s" (bench/run times it beside vipsthumbnail).
#include <chrono>
#include <cstdio>

#include "engine/source_image.h"
#include "engine/tile_pyramid.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kerfel_thumbnail_bench PICTURE BOX\n");
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    kerfel::SourceInfo info;
    kerfel::Status s = kerfel::InspectSource(argv[1], info);
    const kerfel::TilePyramid table = kerfel::TilePyramid::Build(kerfel::NativeLayout(), info.width, info.height);
    const auto header = Clock::now();
    kerfel::PixelBuffer thumb;
    if (s) s = kerfel::DecodeThumbnail(argv[1], static_cast<unsigned>(std::atoi(argv[2])), thumb, info);
    const auto done = Clock::now();
    if (!s) {
        std::fprintf(stderr, "%s\n", s.message.c_str());
        return 2;
    }
    std::printf("%.3f %.3f %d\n", std::chrono::duration<double>(header - start).count(),
                std::chrono::duration<double>(done - header).count(), table.LevelCount());
    return 0;
}
