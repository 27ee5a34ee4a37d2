#include "engine/jpeg_header.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace kerfel {
namespace {

unsigned Be16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

unsigned Tiff16(const uint8_t* p, bool le) { return le ? (p[0] | (p[1] << 8)) : Be16(p); }
uint32_t Tiff32(const uint8_t* p, bool le) {
    return le ? (p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24))
              : ((uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]);
}

// Orientation tag (0x0112) of IFD0 inside an APP1 "Exif" payload.
int ExifOrientation(const uint8_t* seg, size_t len) {
    if (len < 14 || std::string(reinterpret_cast<const char*>(seg), 6) != std::string("Exif\0\0", 6)) return 1;
    const uint8_t* tiff = seg + 6;
    size_t tlen = len - 6;
    bool le = tiff[0] == 'I' && tiff[1] == 'I';
    if (!le && !(tiff[0] == 'M' && tiff[1] == 'M')) return 1;
    uint32_t ifd = Tiff32(tiff + 4, le);
    if (ifd > tlen || tlen - ifd < 2) return 1;
    unsigned count = Tiff16(tiff + ifd, le);
    for (unsigned i = 0; i < count; ++i) {
        size_t e = ifd + 2 + size_t(i) * 12;
        if (e + 12 > tlen) break;
        if (Tiff16(tiff + e, le) == 0x0112) {
            unsigned v = Tiff16(tiff + e + 8, le);
            return (v >= 1 && v <= 8) ? static_cast<int>(v) : 1;
        }
    }
    return 1;
}

}  // namespace

bool DecodedSizeFits(unsigned width, unsigned height, int channels) {
    unsigned long long bytes = 1ULL * width * height * (channels < 3 ? 3 : channels);
    return bytes < (1ULL << 32);
}

unsigned long long MinimumCodedBytes(unsigned width, unsigned height) {
    unsigned long long blocks = ((width + 7ULL) / 8) * ((height + 7ULL) / 8);
    return blocks / 8;
}

Status ParseJpegHeader(const uint8_t* d, size_t n, JpegHeader& out) {
    out = JpegHeader{};
    if (n < 4 || d[0] != 0xFF || d[1] != 0xD8) return Status::Bad("not a JPEG file");
    size_t pos = 2;
    while (pos + 4 <= n) {
        if (d[pos] != 0xFF) return Status::Bad("damaged JPEG header");
        uint8_t marker = d[pos + 1];
        if (marker == 0xFF) { ++pos; continue; }  // fill byte
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) { pos += 2; continue; }
        if (marker == 0xD9 || marker == 0xDA) break;  // image ends or scan starts before any frame
        size_t len = Be16(d + pos + 2);
        if (len < 2 || pos + 2 + len > n) return Status::Bad("truncated JPEG header");
        const uint8_t* seg = d + pos + 4;
        size_t slen = len - 2;
        if (marker == 0xE1 && out.orientation == 1) out.orientation = ExifOrientation(seg, slen);
        if (marker == 0xEE && slen >= 5 && std::string(reinterpret_cast<const char*>(seg), 5) == "Adobe")
            out.adobe = true;
        bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            if (slen < 6) return Status::Bad("truncated JPEG frame header");
            out.height = Be16(seg + 1);
            out.width = Be16(seg + 3);
            out.components = seg[5];
            out.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            if (marker != 0xC0 && marker != 0xC1 && marker != 0xC2)
                return Status::Bad("unsupported JPEG coding (lossless or arithmetic)");
            if (out.width == 0 || out.height == 0) return Status::Bad("JPEG frame has no size");
            if (out.components != 1 && out.components != 3 && out.components != 4)
                return Status::Bad("unsupported number of colour components");
            return Status::Ok();
        }
        pos += 2 + len;
    }
    return Status::Bad("no JPEG frame header found");
}

Status ReadJpegHeader(const std::string& path, JpegHeader& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return Status::Bad(std::string("cannot open: ") + std::strerror(errno));
    // Headers with large EXIF thumbnails or ICC profiles can run to a few hundred KB.
    std::vector<uint8_t> buf(1 << 20);
    size_t n = std::fread(buf.data(), 1, buf.size(), f);
    bool readError = std::ferror(f);
    int err = errno;
    unsigned long long size = 0;
    if (!readError && std::fseek(f, 0, SEEK_END) == 0) {
        long end = std::ftell(f);
        if (end > 0) size = static_cast<unsigned long long>(end);
    }
    std::fclose(f);
    if (readError) return Status::Bad(std::string("cannot read: ") + std::strerror(err));
    if (n == 0) return Status::Bad("the file is empty");
    Status s = ParseJpegHeader(buf.data(), n, out);
    out.fileSize = size;
    return s;
}

}  // namespace kerfel
