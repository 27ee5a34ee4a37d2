#include "engine/png_reader.h"

#include "engine/png_idat_rows.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>

namespace kerfel {

struct PngReader::Library {
    std::unique_ptr<SourceBytes> bytes;
    uint64_t position = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::jmp_buf jump;
    std::string error;

    ~Library() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }

    // Runs `step` (library calls only: nothing in it may need a destructor);
    // false when the library gave up on the way.
    template <class Step>
    bool Guarded(Step step) {
        if (setjmp(jump)) return false;
        step();
        return true;
    }
};

namespace {

PngReader::Library& Of(png_structp png, bool io) {
    return *static_cast<PngReader::Library*>(io ? png_get_io_ptr(png) : png_get_error_ptr(png));
}

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    PngReader::Library& l = Of(png, false);
    if (l.error.empty()) l.error = message;
    std::longjmp(l.jump, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep into, size_t count) {
    PngReader::Library& l = Of(png, true);
    const size_t got = l.bytes->ReadAt(l.position, into, count);
    l.position += got;
    if (got != count) png_error(png, "the file ends early");
}

// Over white, as a viewer shows it on a white page.
void ComposeOverWhite(const uint8_t* in, uint8_t* out, unsigned width, unsigned colours) {
    for (unsigned x = 0; x < width; ++x, in += colours + 1, out += colours) {
        const unsigned a = in[colours];
        for (unsigned c = 0; c < colours; ++c) out[c] = static_cast<uint8_t>((in[c] * a + 255u * (255u - a) + 127u) / 255u);
    }
}

}  // namespace

PngReader::PngReader() = default;
PngReader::~PngReader() = default;

Status PngReader::Failure(const std::string& what) const {
    Status s = Status::Bad(m_lib->error.empty() ? what : what + " (" + m_lib->error + ")");
    m_lib->error.clear();
    return s;
}

Status PngReader::Open(std::unique_ptr<SourceBytes> bytes, const std::string& name) {
    m_name = name;
    m_lib = std::make_unique<Library>();
    Library& l = *m_lib;
    l.bytes = std::move(bytes);
    l.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &l, OnError, OnWarning);
    if (l.png) l.info = png_create_info_struct(l.png);
    if (!l.info) return Named(Status::Output("not enough memory to open the file"));
    png_set_read_fn(l.png, &l, OnRead);
    // The library's own limits stop at a million pixels a side; the rows
    // stream, so only the format's limit applies.
    png_set_user_limits(l.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_chunk_malloc_max(l.png, 64u << 20);
    png_uint_32 width = 0, height = 0;
    int depth = 0, type = 0, interlace = 0, passes = 1;
    const bool read = l.Guarded([&] {
        png_read_info(l.png, l.info);
        png_get_IHDR(l.png, l.info, &width, &height, &depth, &type, &interlace, nullptr, nullptr);
        png_set_expand(l.png);  // palette to RGB, low bits to 8, transparency to alpha
        if (depth == 16) png_set_scale_16(l.png);
        passes = png_set_interlace_handling(l.png);
        png_read_update_info(l.png, l.info);
        m_channels = png_get_channels(l.png, l.info);
        m_rowBytes = png_get_rowbytes(l.png, l.info);
    });
    if (!read) return Named(Failure("not a PNG file it can read"));
    if (width == 0 || height == 0 || m_channels < 1 || m_channels > 4 || m_rowBytes != size_t(width) * m_channels)
        return Named(Status::Bad("the picture has no pixels"));
    m_width = width;
    m_height = height;
    m_interlaced = passes > 1;
    m_samples = m_channels >= 3 ? SampleLayout::Rgb : SampleLayout::Grey;
    const bool plain = depth >= 8 && !(type & PNG_COLOR_MASK_PALETTE) && !png_get_valid(l.png, l.info, PNG_INFO_tRNS);
    if (plain && !m_interlaced) FindIdat(depth);
    ReadProfile();
    return Status::Ok();
}

// libpng has read the first IDAT chunk's length and type, and no more.
void PngReader::FindIdat(int depth) {
    uint8_t header[8];
    const uint64_t at = m_lib->position - 8;
    if (m_lib->bytes->ReadAt(at, header, 8) != 8 || std::memcmp(header + 4, "IDAT", 4) != 0) return;
    m_idatOffset = at;
    m_depth = depth;
}

void PngReader::ReadProfile() {
    Library& l = *m_lib;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep icc = nullptr;
    png_uint_32 length = 0;
    // The library checks the profile's length and header itself, and
    // drops one that lies; an sRGB chunk needs no converting.
    try {
        if (png_get_iCCP(l.png, l.info, &name, &compression, &icc, &length) && icc && length)
            m_profile = ColourProfile::Read(std::vector<uint8_t>(icc, icc + length), m_samples);
        else
            m_profile = ColourProfile::Read({}, m_samples);
    } catch (const std::bad_alloc&) {
        m_profile = ColourProfile::Unused(m_samples, "not enough memory to read the colour profile");
    }
    m_colourNote = m_profile.Note();
}

unsigned long long PngReader::FormatWholeBytes(int) const {
    return m_interlaced ? 1ull * m_rowBytes * m_height + sizeof(void*) * 1ull * m_height : 0;
}

Status PngReader::StartStored(int, unsigned& w, unsigned& h) {
    if (m_started) return Status::Bad("decoding has started already");
    // A file cut short lacks its end chunk; found before decoding, so that a
    // job does not write the top of a picture whose bottom is missing.
    // Bytes after it are allowed, as long as it lies in the last 4 KiB.
    static const uint8_t end[8] = {'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    const uint64_t size = m_lib->bytes->Size();
    std::vector<uint8_t> tail(static_cast<size_t>(std::min<uint64_t>(size, 4096)));
    tail.resize(m_lib->bytes->ReadAt(size - tail.size(), tail.data(), tail.size()));
    if (std::search(tail.begin(), tail.end(), end, end + 8) == tail.end())
        return Status::Bad("the PNG data is incomplete (the file has no end chunk)");
    m_started = true;
    Library& l = *m_lib;
    try {
        m_raw.assign(m_rowBytes, 0);
        if (m_idatOffset) {
            m_idat = std::make_unique<PngIdatRows>(*l.bytes, m_idatOffset, m_height, m_rowBytes, m_channels, m_depth);
            if (m_threads > 1) m_idat->InflateAhead();
        }
        if (m_interlaced) {
            m_whole.assign(m_rowBytes * m_height, 0);
            std::vector<png_bytep> rows(m_height);
            for (unsigned y = 0; y < m_height; ++y) rows[y] = m_whole.data() + size_t(y) * m_rowBytes;
            png_bytepp all = rows.data();
            if (!l.Guarded([&] { png_read_image(l.png, all); })) return Failure("cannot read the picture");
        }
    } catch (const std::bad_alloc&) {
        m_whole = {};
        return NoMemory(m_width, m_height, "picture");
    }
    w = m_width;
    h = m_height;
    return Status::Ok();
}

Status PngReader::ReadStored(uint8_t* into) {
    if (m_row >= m_height) return Status::Bad("more rows asked for than the picture has");
    Library& l = *m_lib;
    const bool alpha = m_channels == 2 || m_channels == 4;
    uint8_t* raw = m_interlaced ? m_whole.data() + size_t(m_row) * m_rowBytes : alpha ? m_raw.data() : into;
    if (m_idat) {
        if (Status s = m_idat->Next(raw); !s) return Named(s);
    } else if (!m_interlaced && !l.Guarded([&] { png_read_row(l.png, raw, nullptr); })) {
        return Failure("cannot read row " + std::to_string(m_row));
    }
    const unsigned colours = alpha ? m_channels - 1 : m_channels;
    if (alpha) ComposeOverWhite(raw, into, m_width, colours);
    else if (raw != into) std::memcpy(into, raw, size_t(m_width) * colours);
    ++m_row;
    return Status::Ok();
}

}  // namespace kerfel
