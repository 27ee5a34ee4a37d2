#include "engine/tiff_reader.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>
#include <new>

namespace kerfel {
namespace {

// A strip or tile taller than this is no longer a band: the memory rule sizes it.
constexpr unsigned kStreamRows = 512;

struct Handle {
    SourceBytes* bytes = nullptr;
    uint64_t position = 0;
    std::string error;  // the first the library reported since it was last told
};

tmsize_t ReadProc(thandle_t h, void* into, tmsize_t size) {
    Handle& f = *static_cast<Handle*>(h);
    if (size <= 0) return 0;
    const size_t got = f.bytes->ReadAt(f.position, into, static_cast<size_t>(size));
    f.position += got;
    return static_cast<tmsize_t>(got);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return 0; }

toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
    Handle& f = *static_cast<Handle*>(h);
    const uint64_t base = whence == SEEK_CUR ? f.position : whence == SEEK_END ? f.bytes->Size() : 0;
    f.position = base + offset;  // a negative offset arrives wrapped, and wraps back
    return f.position;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<Handle*>(h)->bytes->Size(); }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char*, const char* format, va_list args) {
    Handle& f = *static_cast<Handle*>(user);
    if (!f.error.empty()) return 1;
    char text[200];
    std::vsnprintf(text, sizeof text, format, args);
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    f.error = text;
    return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// Messages raised where no handle is known go to the library's own
// handlers, which would print them.
void SilenceLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

}  // namespace

struct TiffReader::Page {
    uint32_t width = 0, height = 0;
    uint16_t bits = 8, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    bool separate = false;  // each sample in planes of its own
    bool tiled = false;
    uint32_t blockWidth = 0, blockHeight = 0;  // a tile, or a strip (the width by its rows)
    unsigned colours = 1;                      // grey 1; RGB and palette 3
    int alpha = -1;                            // which sample, if any
    bool associated = false;                   // colours already multiplied by alpha
    bool palette = false;
    std::vector<uint8_t> map;                  // palette: RGB of each index
    uint64_t rowBytes = 0;                     // one row of every sample, as decoded

    uint64_t BlockRowBytes() const { return (uint64_t(blockWidth) * (separate ? 1 : samples) * bits + 7) / 8; }
    bool InBlocks() const { return tiled || separate; }
};

namespace {

Status ReadColourMap(TIFF* tiff, TiffReader::Page& p) {
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &r, &g, &b)) return Status::Bad("the palette picture has no palette");
    const size_t n = size_t(1) << p.bits;
    // Some writers store 8-bit entries where 16-bit ones belong.
    bool eightBit = true;
    for (size_t i = 0; i < n; ++i) eightBit = eightBit && r[i] < 256 && g[i] < 256 && b[i] < 256;
    p.map.resize(n * 3);
    for (size_t i = 0; i < n; ++i) {
        const uint16_t v[3] = {r[i], g[i], b[i]};
        for (int c = 0; c < 3; ++c) p.map[i * 3 + c] = static_cast<uint8_t>(eightBit ? v[c] : (v[c] + 128u) / 257u);
    }
    return Status::Ok();
}

Status ReadColourModel(TIFF* tiff, TiffReader::Page& p, uint16_t compression) {
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &p.photometric))
        p.photometric = p.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    // The JPEG codec turns its YCbCr into RGB itself.
    if (compression == COMPRESSION_JPEG && p.photometric == PHOTOMETRIC_YCBCR) {
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        p.photometric = PHOTOMETRIC_RGB;
    }
    const bool lowBits = p.bits == 1 || p.bits == 2 || p.bits == 4;
    switch (p.photometric) {
        case PHOTOMETRIC_MINISWHITE:
        case PHOTOMETRIC_MINISBLACK:
            if (!lowBits && p.bits != 8 && p.bits != 16) break;
            return Status::Ok();
        case PHOTOMETRIC_RGB:
            p.colours = 3;
            if (p.bits != 8 && p.bits != 16) break;
            return Status::Ok();
        case PHOTOMETRIC_PALETTE:
            p.palette = true;
            p.colours = 3;
            if (!lowBits && p.bits != 8) break;
            return ReadColourMap(tiff, p);
        case PHOTOMETRIC_SEPARATED:
            return Status::Bad("CMYK TIFF pictures cannot be read");
        default:
            return Status::Bad("the colour model (photometric " + std::to_string(p.photometric) +
                               ") cannot be read; only grey, RGB and palette pictures can");
    }
    return Status::Bad(std::to_string(p.bits) + " bits per sample cannot be read");
}

void ReadAlpha(TIFF* tiff, TiffReader::Page& p) {
    uint16_t count = 0;
    uint16_t* kinds = nullptr;
    if (p.palette || p.samples <= p.colours || !TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) || !count)
        return;
    if (kinds[0] == EXTRASAMPLE_ASSOCALPHA || kinds[0] == EXTRASAMPLE_UNASSALPHA) {
        p.alpha = static_cast<int>(p.colours);
        p.associated = kinds[0] == EXTRASAMPLE_ASSOCALPHA;
    }
}

// How the library's current page stores its samples, or why they cannot be read.
Status ReadPage(TIFF* tiff, TiffReader::Page& p) {
    p = TiffReader::Page{};
    uint16_t planar = PLANARCONFIG_CONTIG, compression = COMPRESSION_NONE, format = SAMPLEFORMAT_UINT;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &p.width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &p.height) ||
        p.width == 0 || p.height == 0)
        return Status::Bad("the picture has no pixels");
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &p.bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &p.samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    if (format != SAMPLEFORMAT_UINT && format != SAMPLEFORMAT_VOID)
        return Status::Bad("the samples are not whole numbers (floating point or signed), which cannot be read");
    if (!TIFFIsCODECConfigured(compression))
        return Status::Bad("the compression (" + std::to_string(compression) + ") cannot be decoded");
    Status s = ReadColourModel(tiff, p, compression);
    if (!s) return s;
    if (p.samples < (p.palette ? 1u : p.colours) || p.samples > 16 || (p.bits < 8 && p.samples != 1))
        return Status::Bad(std::to_string(p.samples) + " samples per pixel do not fit the colour model");
    ReadAlpha(tiff, p);
    p.separate = planar == PLANARCONFIG_SEPARATE && p.samples > 1;
    p.tiled = TIFFIsTiled(tiff);
    if (p.tiled) {
        if (!TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &p.blockWidth) || !TIFFGetField(tiff, TIFFTAG_TILELENGTH, &p.blockHeight) ||
            p.blockWidth == 0 || p.blockHeight == 0)
            return Status::Bad("the tiles have no size");
    } else {
        uint32_t rows = 0;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rows);
        p.blockWidth = p.width;
        p.blockHeight = std::clamp<uint32_t>(rows, 1, p.height);
    }
    p.rowBytes = (uint64_t(p.width) * p.samples * p.bits + 7) / 8;
    return Status::Ok();
}

inline uint8_t To8(uint8_t v) { return v; }
inline uint8_t To8(uint16_t v) { return static_cast<uint8_t>((v * 255u + 32767u) / 65535u); }

template <class T>
void TakeSamples(const T* in, uint8_t* out, unsigned width, const TiffReader::Page& p) {
    const unsigned step = p.samples, colours = p.colours;
    const bool white = p.photometric == PHOTOMETRIC_MINISWHITE;
    if (sizeof(T) == 1 && step == colours && !white) {
        std::memcpy(out, in, size_t(width) * colours);
        return;
    }
    for (unsigned x = 0; x < width; ++x, in += step, out += colours) {
        const unsigned a = p.alpha >= 0 ? To8(in[p.alpha]) : 255u;
        for (unsigned c = 0; c < colours; ++c) {
            unsigned v = To8(in[c]);
            if (white) v = 255 - v;
            // Over white: what a viewer shows on a white page.
            if (a != 255) v = p.associated ? std::min(255u, v + 255u - a) : (v * a + 255u * (255u - a) + 127u) / 255u;
            out[c] = static_cast<uint8_t>(v);
        }
    }
}

void TakeLowBits(const uint8_t* in, uint8_t* out, unsigned width, const TiffReader::Page& p) {
    const unsigned bits = p.bits, top = (1u << bits) - 1, perByte = 8 / bits;
    const bool white = p.photometric == PHOTOMETRIC_MINISWHITE;
    for (unsigned x = 0; x < width; ++x) {
        const unsigned shift = 8 - bits * (x % perByte + 1);
        const unsigned v = (in[x / perByte] >> shift) & top;
        if (p.palette) {
            std::memcpy(out + size_t(x) * 3, &p.map[v * 3], 3);
        } else {
            const unsigned grey = v * 255 / top;
            out[x] = static_cast<uint8_t>(white ? 255 - grey : grey);
        }
    }
}

// `width` pixels of a decoded row as 8-bit grey or RGB samples, alpha composed.
void TakeRow(const uint8_t* raw, uint8_t* out, unsigned width, const TiffReader::Page& p) {
    if (p.palette && p.bits == 8) {
        for (unsigned x = 0; x < width; ++x) std::memcpy(out + size_t(x) * 3, &p.map[raw[x] * 3], 3);
    } else if (p.bits < 8) {
        TakeLowBits(raw, out, width, p);
    } else if (p.bits == 8) {
        TakeSamples(raw, out, width, p);
    } else {
        TakeSamples(reinterpret_cast<const uint16_t*>(raw), out, width, p);
    }
}

}  // namespace

// One handle on the file: the library keeps a position and a decoder per
// handle, so each thread that decodes has one of its own.
struct TiffHandle {
    Handle handle;
    TIFF* tiff = nullptr;
    std::vector<uint8_t> block;  // a tile as the library decodes it, for a decoding thread
    TiffHandle() = default;
    TiffHandle(const TiffHandle&) = delete;
    TiffHandle& operator=(const TiffHandle&) = delete;
    ~TiffHandle() {
        if (tiff) TIFFClose(tiff);
    }

    bool Open(SourceBytes* bytes, const std::string& name) {
        handle.bytes = bytes;
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        if (!options) return false;
        TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &handle);
        TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &handle);
        // What one of the library's own buffers may take: a damaged size field
        // is refused rather than allocated.
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(1) << 30);
        tiff = TIFFClientOpenExt(name.c_str(), "r", &handle, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                 MapProc, UnmapProc, options);
        TIFFOpenOptionsFree(options);
        return tiff != nullptr;
    }
};

struct TiffReader::Library : TiffHandle {
    std::unique_ptr<SourceBytes> bytes;
    // Further handles on the same page, one for each further thread that
    // decodes a row of tiles; none for a file in strips.
    std::vector<std::unique_ptr<TiffHandle>> helpers;
};

TiffReader::TiffReader() = default;
TiffReader::~TiffReader() = default;

namespace {

// `what` failed, with the library's first error since it was last told.
Status Failed(const std::string& what, Handle& handle, const std::string& fileName) {
    std::string& error = handle.error;
    // The library names the file too; the line names it once, in front.
    for (const std::string& named : {fileName + ": ", fileName})
        for (size_t at; !named.empty() && (at = error.find(named)) != std::string::npos;) error.erase(at, named.size());
    Status s = Status::Bad(error.empty() ? what : what + " (" + error + ")");
    error.clear();
    return s;
}

}  // namespace

Status TiffReader::Failure(const std::string& what) const { return Failed(what, m_lib->handle, m_name); }

Status TiffReader::Open(std::unique_ptr<SourceBytes> bytes, const std::string& name) {
    m_name = name;
    SilenceLibrary();
    m_lib = std::make_unique<Library>();
    m_lib->bytes = std::move(bytes);
    if (!m_lib->Open(m_lib->bytes.get(), name)) return Named(Failure("not a TIFF file it can read"));
    TIFF* tiff = m_lib->tiff;
    m_big = TIFFIsBigTIFF(tiff);
    // The first page that is not a reduced copy of another.
    for (int pages = 0;; ++pages) {
        uint32_t kind = 0;
        if (!TIFFGetField(tiff, TIFFTAG_SUBFILETYPE, &kind) || !(kind & FILETYPE_REDUCEDIMAGE)) break;
        if (pages > 64 || !TIFFReadDirectory(tiff)) {
            TIFFSetDirectory(tiff, 0);
            break;
        }
    }
    m_fullPage = TIFFCurrentDirOffset(tiff);
    m_page = std::make_unique<Page>();
    Status s = ReadPage(tiff, *m_page);
    if (!s) return Named(s);
    m_width = m_page->width;
    m_height = m_page->height;
    m_samples = m_page->colours == 1 ? SampleLayout::Grey : SampleLayout::Rgb;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    m_orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    uint32_t iccBytes = 0;
    void* icc = nullptr;
    try {
        if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &iccBytes, &icc) && iccBytes && icc) {
            const uint8_t* from = static_cast<const uint8_t*>(icc);
            m_profile = ColourProfile::Read(std::vector<uint8_t>(from, from + iccBytes), m_samples);
        } else {
            m_profile = ColourProfile::Read({}, m_samples);
        }
    } catch (const std::bad_alloc&) {
        m_profile = ColourProfile::Unused(m_samples, "not enough memory to read the colour profile");
    }
    m_colourNote = m_profile.Note();
    m_lib->handle.error.clear();
    return Status::Ok();
}

unsigned long long TiffReader::FormatWholeBytes(int) const {
    const Page& p = *m_page;
    if (p.blockHeight <= kStreamRows) return 0;
    if (p.InBlocks()) return uint64_t(p.blockHeight) * (p.rowBytes + p.BlockRowBytes());
    // A strip that is not one block still comes whole from the file before its first row.
    unsigned long long largest = 0;
    const uint32_t strips = TIFFNumberOfStrips(m_lib->tiff);
    for (uint32_t i = 0; i < strips; ++i) largest = std::max<unsigned long long>(largest, TIFFGetStrileByteCount(m_lib->tiff, i));
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(m_lib->tiff, TIFFTAG_COMPRESSION, &compression);
    // Uncompressed strips are read in rows by the library itself.
    return compression == COMPRESSION_NONE ? 0 : largest;
}

Status TiffReader::SelectPage(uint64_t offset) {
    TIFF* tiff = m_lib->tiff;
    if (!TIFFSetSubDirectory(tiff, offset)) return Failure("cannot read the page");
    Page p;
    Status s = ReadPage(tiff, p);
    if (!s) return s;
    *m_page = std::move(p);
    const Page& page = *m_page;
    m_row = 0;
    m_blockFirst = m_blockRows = 0;
    m_lib->helpers.clear();
    if (page.InBlocks()) {
        const uint64_t block = page.tiled ? std::max<uint64_t>(TIFFTileSize64(tiff), page.BlockRowBytes() * page.blockHeight)
                                          : std::max<uint64_t>(TIFFStripSize64(tiff), page.BlockRowBytes() * page.blockHeight);
        m_block.assign(block, 0);
        if (page.tiled) OpenHelpers(offset, block);
        m_blocks.clear();
        m_raw.clear();
    } else {
        m_raw.assign(std::max<uint64_t>(page.rowBytes, TIFFScanlineSize64(tiff)), 0);
        m_block.clear();
        m_blocks.clear();
    }
    return Status::Ok();
}

uint64_t TiffReader::ReducedPageFor(unsigned side) {
    TIFF* tiff = m_lib->tiff;
    std::vector<uint64_t> offsets;
    if (TIFFSetSubDirectory(tiff, m_fullPage)) {
        uint16_t count = 0;
        uint64_t* below = nullptr;
        if (TIFFGetField(tiff, TIFFTAG_SUBIFD, &count, &below) && below) offsets.assign(below, below + count);
    }
    if (TIFFSetDirectory(tiff, 0)) {
        for (int pages = 0; pages < 64; ++pages) {
            uint32_t kind = 0;
            if (TIFFGetField(tiff, TIFFTAG_SUBFILETYPE, &kind) && (kind & FILETYPE_REDUCEDIMAGE))
                offsets.push_back(TIFFCurrentDirOffset(tiff));
            if (!TIFFReadDirectory(tiff)) break;
        }
    }
    uint64_t best = 0;
    unsigned bestSide = std::max(m_width, m_height);
    for (uint64_t offset : offsets) {
        Page p;
        if (!TIFFSetSubDirectory(tiff, offset) || !ReadPage(tiff, p)) continue;
        const bool sameLayout = (p.colours == 1) == (m_samples == SampleLayout::Grey);
        // A copy of the same picture keeps its shape, within a pixel or two of rounding.
        const double shape = double(p.width) * m_height - double(p.height) * m_width;
        const bool sameShape = std::abs(shape) <= 2.0 * std::max(m_width, m_height);
        const unsigned pageSide = std::max(p.width, p.height);
        if (sameLayout && sameShape && pageSide >= side && pageSide < bestSide) {
            best = offset;
            bestSide = pageSide;
        }
    }
    m_lib->handle.error.clear();
    return best;
}

// Every strip or tile within the file, found before decoding: a job does
// not write the top of a picture whose bottom is missing.
Status TiffReader::CheckBlocksInFile() const {
    TIFF* tiff = m_lib->tiff;
    const uint64_t size = m_lib->bytes->Size();
    const uint32_t blocks = TIFFIsTiled(tiff) ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    for (uint32_t i = 0; i < blocks; ++i) {
        int err = 0;
        const uint64_t offset = TIFFGetStrileOffsetWithErr(tiff, i, &err);
        const uint64_t bytes = err ? 0 : TIFFGetStrileByteCountWithErr(tiff, i, &err);
        if (err || offset > size || bytes > size - offset)
            return Status::Bad(std::string("the file is cut short or damaged: its ") + (TIFFIsTiled(tiff) ? "tile " : "strip ") +
                               std::to_string(i) + " lies past its end");
    }
    return Status::Ok();
}

Status TiffReader::StartStored(int scale, unsigned& w, unsigned& h) {
    uint64_t page = m_fullPage;
    if (scale > 1) {
        const unsigned side = static_cast<unsigned>((std::max(m_width, m_height) + scale - 1ull) / scale);
        if (const uint64_t reduced = ReducedPageFor(side)) page = reduced;
    }
    try {
        Status s = SelectPage(page);
        if (s) s = CheckBlocksInFile();
        if (!s) return s;
    } catch (const std::bad_alloc&) {
        return NoMemory(Width(), Height(), "picture");
    }
    w = m_page->width;
    h = m_page->height;
    return Status::Ok();
}

// Each further thread that decodes tiles gets a handle of its own on the
// same page. Without one (no memory, or the library refuses) fewer threads
// decode; the rows come out the same.
void TiffReader::OpenHelpers(uint64_t page, uint64_t blockBytes) {
    const uint32_t across = (m_page->width + m_page->blockWidth - 1) / m_page->blockWidth;
    const int wanted = std::min<int>(m_threads, static_cast<int>(across)) - 1;
    try {
        for (int i = 0; i < wanted; ++i) {
            auto helper = std::make_unique<TiffHandle>();
            if (!helper->Open(m_lib->bytes.get(), m_name) || !TIFFSetSubDirectory(helper->tiff, page)) break;
            Page same;
            if (!ReadPage(helper->tiff, same)) break;  // which also sets how JPEG colours come out
            helper->block.assign(blockBytes, 0);
            m_lib->helpers.push_back(std::move(helper));
        }
    } catch (const std::bad_alloc&) {
    }
}

// One strip or tile, or one plane of it, into its columns of the band, or
// of the rows `into` as they are handed out when they are given.
Status TiffReader::ReadBlock(TiffHandle& from, std::vector<uint8_t>& block, uint32_t x, uint32_t first,
                             unsigned plane, uint8_t* const* into) {
    const Page& p = *m_page;
    TIFF* tiff = from.tiff;
    const tmsize_t got =
        p.tiled ? TIFFReadEncodedTile(tiff, TIFFComputeTile(tiff, x, first, 0, plane), block.data(),
                                      static_cast<tmsize_t>(block.size()))
                : TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, first, plane), block.data(),
                                       static_cast<tmsize_t>(block.size()));
    if (got < 0)
        return Failed(std::string("cannot read the ") + (p.tiled ? "tile" : "strip") + " at row " +
                          std::to_string(first) + ", column " + std::to_string(x),
                      from.handle, m_name);
    const uint32_t rows = std::min(p.blockHeight, p.height - first);
    const uint32_t columns = std::min(p.blockWidth, p.width - x);
    const size_t sampleBytes = p.bits / 8;
    const uint64_t blockRow = p.BlockRowBytes();
    if (into) {
        const unsigned pixelBytes = p.palette ? 3 : p.colours;
        for (uint32_t r = 0; r < rows; ++r) TakeRow(block.data() + r * blockRow, into[r] + size_t(x) * pixelBytes, columns, p);
        return Status::Ok();
    }
    for (uint32_t r = 0; r < rows; ++r) {
        const uint8_t* row = block.data() + r * blockRow;
        uint8_t* to = m_blocks.data() + r * p.rowBytes;
        if (!p.separate) {
            std::memcpy(to + uint64_t(x) * p.samples * p.bits / 8, row, (uint64_t(columns) * p.samples * p.bits + 7) / 8);
            continue;
        }
        for (uint32_t c = 0; c < columns; ++c)
            std::memcpy(to + ((uint64_t(x) + c) * p.samples + plane) * sampleBytes, row + c * sampleBytes, sampleBytes);
    }
    return Status::Ok();
}

// A row of tiles is decoded on as many threads as have a handle, each taking
// the next tile not yet taken; each writes only its tile's columns: of the
// rows `into`, or of the band when there are none.
Status TiffReader::ReadBlockRow(uint8_t* const* into) {
    const Page& p = *m_page;
    const uint32_t first = m_row - m_row % p.blockHeight;
    const unsigned planes = p.separate ? p.samples : 1;
    const uint32_t across = (p.width + p.blockWidth - 1) / p.blockWidth;
    const uint64_t blocks = uint64_t(across) * planes;
    std::atomic<uint64_t> next{0};
    std::mutex lock;
    Status failed = Status::Ok();
    auto work = [&](TiffHandle& from, std::vector<uint8_t>& block) {
        for (uint64_t i; (i = next.fetch_add(1)) < blocks;) {
            Status s = ReadBlock(from, block, static_cast<uint32_t>(i / planes) * p.blockWidth, first,
                                 static_cast<unsigned>(i % planes), into);
            if (s) continue;
            next = blocks;  // the others stop after their tile
            std::lock_guard<std::mutex> hold(lock);
            if (failed) failed = s;
        }
    };
    std::vector<std::thread> helpers;
    for (auto& helper : m_lib->helpers) {
        try {
            helpers.emplace_back(work, std::ref(*helper), std::ref(helper->block));
        } catch (const std::system_error&) {
            break;  // the threads there are share the work
        }
    }
    work(*m_lib, m_block);
    for (std::thread& t : helpers) t.join();
    if (!failed) return failed;
    if (into) return Status::Ok();
    m_blockFirst = first;
    m_blockRows = std::min(p.blockHeight, p.height - first);
    return Status::Ok();
}

Status TiffReader::ReadStored(uint8_t* into) {
    const Page& p = *m_page;
    if (m_row >= p.height) return Status::Bad("more rows asked for than the picture has");
    const uint8_t* raw = nullptr;
    if (p.InBlocks()) {
        if (m_row >= m_blockFirst + m_blockRows) {
            if (m_blocks.empty()) m_blocks.assign(p.rowBytes * p.blockHeight, 0);
            Status s = ReadBlockRow(nullptr);
            if (!s) return s;
        }
        raw = m_blocks.data() + uint64_t(m_row - m_blockFirst) * p.rowBytes;
    } else {
        if (TIFFReadScanline(m_lib->tiff, m_raw.data(), m_row, 0) < 0)
            return Failure("cannot read row " + std::to_string(m_row));
        raw = m_raw.data();
    }
    TakeRow(raw, into, p.width, p);
    ++m_row;
    return Status::Ok();
}

// A row of tiles asked for whole is decoded straight into the rows asked
// for: a wide picture's band of rows is never held twice.
unsigned TiffReader::StoredBandRows() const {
    const Page& p = *m_page;
    return p.tiled && !p.separate ? p.blockHeight : 0;
}

Status TiffReader::ReadStoredRows(uint8_t* const* rows, unsigned count) {
    const Page& p = *m_page;
    for (unsigned done = 0; done < count;) {
        const uint32_t whole = m_row < p.height ? std::min(p.blockHeight, p.height - m_row) : 0;
        const bool straight = whole > 0 && StoredBandRows() > 0 && m_row % p.blockHeight == 0 &&
                              count - done >= whole && m_row >= m_blockFirst + m_blockRows;
        if (!straight) {
            Status s = ReadStored(rows[done++]);
            if (!s) return s;
            continue;
        }
        Status s = ReadBlockRow(rows + done);
        if (!s) return s;
        m_row += whole;
        done += whole;
    }
    return Status::Ok();
}

}  // namespace kerfel
