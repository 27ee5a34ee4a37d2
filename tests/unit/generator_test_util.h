#pragma once
// Shared by the generator tests: pictures with known pixels and scratch folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "base/file_read.h"
#include "base/file_write.h"
#include "engine/pixel_buffer.h"
#include "engine/tile_encoder.h"

namespace gentest {

// Smooth colours that differ everywhere: red follows x, green follows y,
// so a tile from the wrong place or upside down shows at once.
inline kerfel::PixelBuffer Gradient(unsigned w, unsigned h) {
    kerfel::PixelBuffer b = kerfel::PixelBuffer::Make(w, h);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            uint8_t* p = b.Row(y) + x * 3;
            p[0] = static_cast<uint8_t>(x * 255 / (w > 1 ? w - 1 : 1));
            p[1] = static_cast<uint8_t>(y * 255 / (h > 1 ? h - 1 : 1));
            p[2] = static_cast<uint8_t>((x + y) % 64 * 2);
        }
    return b;
}

inline void WriteJpeg(const std::string& path, const kerfel::PixelBuffer& b) {
    kerfel::TileEncoder enc;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(enc.Encode(b.data.get(), b.width, b.height, jpeg).ok());
    ASSERT_TRUE(kerfel::WriteWholeFile(path, jpeg.data(), jpeg.size()).ok());
}

// A file's bytes; empty when it cannot be read.
inline std::string ReadAll(const std::string& path) { return kerfel::ReadWholeFile(path).value_or(std::string()); }

inline std::string TempFolder() {
    std::string t = (std::filesystem::temp_directory_path() / "kerfel-unit-XXXXXX").string();
    return mkdtemp(t.data());
}

inline std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> out;
    if (!std::filesystem::exists(folder)) return out;
    for (auto& e : std::filesystem::directory_iterator(folder)) out.insert(e.path().filename().string());
    return out;
}

// Mean absolute difference per channel of two pictures of the same size.
inline double MeanDifference(const kerfel::PixelBuffer& a, const kerfel::PixelBuffer& b) {
    double sum = 0;
    size_t n = kerfel::PixelBuffer::Bytes(a.width, a.height);
    for (size_t i = 0; i < n; ++i) sum += std::abs(int(a.data[i]) - int(b.data[i]));
    return sum / n;
}

}  // namespace gentest
