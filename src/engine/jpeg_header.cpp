#include "engine/jpeg_header.h"

#include "base/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

// The bytes the walk asks for: a buffer already in memory, or the file read
// a window at a time. A segment is at most 64 KiB, so however much comes
// before the frame header (large colour profiles, previews), no more than
// one window is ever held.
class HeaderBytes {
public:
    HeaderBytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    HeaderBytes(int fd, unsigned long long size) : m_fd(fd), m_size(size) {}
    unsigned long long Size() const { return m_size; }

    // `n` bytes at `offset` (offset + n <= Size()), valid until the next
    // call; null when the file cannot be read there.
    const uint8_t* At(unsigned long long offset, size_t n) {
        if (m_data) return m_data + offset;
        if (offset >= m_start && offset + n <= m_start + m_length) return m_window.data() + (offset - m_start);
        m_window.resize(kWindow);
        const size_t want = static_cast<size_t>(std::min<unsigned long long>(kWindow, m_size - offset));
        size_t got = 0;
        while (got < want) {
            ssize_t r = ::pread(m_fd, m_window.data() + got, want - got, static_cast<off_t>(offset + got));
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) m_error = errno;
            if (r <= 0) break;  // an error, or the file became shorter
            got += static_cast<size_t>(r);
        }
        m_start = offset;
        m_length = got;
        return got >= n ? m_window.data() : nullptr;
    }

    // Why At gave nothing.
    Status Failure() const {
        if (m_error) return Status::Bad(std::string("cannot read: ") + std::strerror(m_error));
        return Status::Bad("truncated JPEG header");
    }

private:
    static constexpr size_t kWindow = 1 << 17;
    const uint8_t* m_data = nullptr;
    int m_fd = -1;
    unsigned long long m_size;
    std::vector<uint8_t> m_window;
    unsigned long long m_start = 0;
    size_t m_length = 0;
    int m_error = 0;
};

// The first scan's marker at or after `pos`, stepping over the tables and
// comments between the frame and it; 0 when something else comes first (the
// decoder judges that).
unsigned long long FirstScan(HeaderBytes& in, unsigned long long pos) {
    while (pos + 4 <= in.Size()) {
        const uint8_t* m = in.At(pos, 4);
        if (!m || m[0] != 0xFF) return 0;
        if (m[1] == 0xFF) { ++pos; continue; }
        if (m[1] == 0xDA) return pos;
        if (m[1] == 0xD8 || m[1] == 0xD9 || (m[1] >= 0xD0 && m[1] <= 0xD7) || m[1] == 0x01) return 0;
        pos += 2 + Be16(m + 2);
    }
    return 0;
}

// Markers up to the first frame header, reading only the segments whose
// content matters (EXIF, Adobe, the frame) and stepping over the others.
Status WalkHeader(HeaderBytes& in, JpegHeader& out) {
    out = JpegHeader{};
    const unsigned long long n = in.Size();
    if (n < 4) return Status::Bad("not a JPEG file");
    const uint8_t* d = in.At(0, 2);
    if (!d) return in.Failure();
    if (d[0] != 0xFF || d[1] != 0xD8) return Status::Bad("not a JPEG file");
    unsigned long long pos = 2;
    while (pos + 4 <= n) {
        const uint8_t* m = in.At(pos, 4);
        if (!m) return in.Failure();
        if (m[0] != 0xFF) return Status::Bad("damaged JPEG header");
        const uint8_t marker = m[1];
        if (marker == 0xFF) { ++pos; continue; }  // fill byte
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) { pos += 2; continue; }
        if (marker == 0xD9 || marker == 0xDA) break;  // image ends or scan starts before any frame
        const size_t len = Be16(m + 2);
        if (len < 2 || pos + 2 + len > n) return Status::Bad("truncated JPEG header");
        const size_t slen = len - 2;
        const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        const bool exif = marker == 0xE1 && out.orientation == 1;
        const bool adobe = marker == 0xEE;
        if (sof || exif || adobe) {
            const uint8_t* seg = in.At(pos + 4, slen);
            if (!seg) return in.Failure();
            if (exif) out.orientation = ExifOrientation(seg, slen);
            if (adobe && slen >= 5 && std::string(reinterpret_cast<const char*>(seg), 5) == "Adobe") out.adobe = true;
            if (sof) {
                if (slen < 6) return Status::Bad("truncated JPEG frame header");
                out.height = Be16(seg + 1);
                out.width = Be16(seg + 3);
                out.components = seg[5];
                out.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
                if (marker != 0xC0 && marker != 0xC1 && marker != 0xC2)
                    return Status::Bad("unsupported JPEG coding (lossless or arithmetic)");
                // The decoder takes 8-bit samples only; a 12-bit picture is sound, just not ours to read.
                if (seg[0] != 8)
                    return Status::Bad("unsupported JPEG sample precision (" + std::to_string(seg[0]) +
                                       " bits; only 8-bit JPEG is read)");
                if (out.width == 0 || out.height == 0) return Status::Bad("JPEG frame has no size");
                if (out.components != 1 && out.components != 3 && out.components != 4)
                    return Status::Bad("unsupported number of colour components");
                out.scanStart = FirstScan(in, pos + 2 + len);
                return Status::Ok();
            }
        }
        pos += 2 + len;
    }
    return Status::Bad("no JPEG frame header found");
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

unsigned long long CodedBytes(const JpegHeader& h) {
    return h.scanStart < h.fileSize ? h.fileSize - h.scanStart : 0;
}

Status ParseJpegHeader(const uint8_t* d, size_t n, JpegHeader& out) {
    HeaderBytes bytes(d, n);
    return WalkHeader(bytes, out);
}

Status ReadJpegHeader(const std::string& path, JpegHeader& out) {
    out = JpegHeader{};
    struct stat st;
    int fd = OpenRegularFile(path, st);
    if (fd < 0 && errno == EINVAL) return Status::Bad("cannot read: not a regular file");
    if (fd < 0 && errno == EISDIR) return Status::Bad(std::string("cannot read: ") + std::strerror(EISDIR));
    if (fd < 0) return Status::Bad(std::string("cannot open: ") + std::strerror(errno));
    Status s;
    if (st.st_size == 0) s = Status::Bad("the file is empty");
    else {
        HeaderBytes bytes(fd, static_cast<unsigned long long>(st.st_size));
        s = WalkHeader(bytes, out);
        out.fileSize = static_cast<unsigned long long>(st.st_size);
    }
    ::close(fd);
    return s;
}

}  // namespace kerfel
