#include "test_images.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace testimg {

std::string TempFolder() {
    char tmpl[] = "/tmp/kerfel-test-XXXXXX";
    const char* dir = mkdtemp(tmpl);
    return dir ? dir : "/tmp";
}

std::string Convert(const std::string& args, const std::string& out) {
    std::string cmd = "convert " + args + " '" + out + "' 2>/dev/null";
    return std::system(cmd.c_str()) == 0 ? out : std::string();
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> WithExifOrientation(const std::vector<uint8_t>& jpeg, int orientation, bool le) {
    auto u16 = [le](std::vector<uint8_t>& v, unsigned x) {
        if (le) { v.push_back(x & 0xFF); v.push_back(x >> 8); }
        else { v.push_back(x >> 8); v.push_back(x & 0xFF); }
    };
    auto u32 = [&](std::vector<uint8_t>& v, uint32_t x) {
        if (le) { u16(v, x & 0xFFFF); u16(v, x >> 16); }
        else { u16(v, x >> 16); u16(v, x & 0xFFFF); }
    };
    std::vector<uint8_t> tiff = {uint8_t(le ? 'I' : 'M'), uint8_t(le ? 'I' : 'M')};
    u16(tiff, 42);
    u32(tiff, 8);
    u16(tiff, 1);                // one entry
    u16(tiff, 0x0112);           // orientation
    u16(tiff, 3);                // SHORT
    u32(tiff, 1);
    u16(tiff, static_cast<unsigned>(orientation));
    u16(tiff, 0);
    u32(tiff, 0);                // no next IFD
    std::vector<uint8_t> seg = {0xFF, 0xE1};
    size_t len = 2 + 6 + tiff.size();
    seg.push_back(uint8_t(len >> 8));
    seg.push_back(uint8_t(len & 0xFF));
    const char exif[] = {'E', 'x', 'i', 'f', 0, 0};
    seg.insert(seg.end(), exif, exif + 6);
    seg.insert(seg.end(), tiff.begin(), tiff.end());
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), seg.begin(), seg.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

std::vector<uint8_t> WithIccProfile(const std::vector<uint8_t>& jpeg, const std::vector<uint8_t>& icc, size_t chunk,
                                    int drop) {
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    const size_t count = (icc.size() + chunk - 1) / chunk;
    for (size_t i = 0; i < count; ++i) {
        if (int(i) + 1 == drop) continue;
        const size_t begin = i * chunk, size = std::min(chunk, icc.size() - begin), length = 2 + 12 + 2 + size;
        const char tag[12] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
        out.insert(out.end(), {0xFF, 0xE2, uint8_t(length >> 8), uint8_t(length & 0xFF)});
        out.insert(out.end(), tag, tag + 12);
        out.insert(out.end(), {uint8_t(i + 1), uint8_t(count)});
        out.insert(out.end(), icc.begin() + begin, icc.begin() + begin + size);
    }
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

std::vector<uint8_t> WithFrameSize(std::vector<uint8_t> j, unsigned w, unsigned h) {
    for (size_t i = 2; i + 9 < j.size(); ++i) {
        if (j[i] == 0xFF && (j[i + 1] == 0xC0 || j[i + 1] == 0xC2)) {
            j[i + 5] = uint8_t(h >> 8); j[i + 6] = uint8_t(h & 0xFF);
            j[i + 7] = uint8_t(w >> 8); j[i + 8] = uint8_t(w & 0xFF);
            break;
        }
    }
    return j;
}

}  // namespace testimg
