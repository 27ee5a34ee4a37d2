#include "engine/jpeg_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

// The library's header needs the standard types declared first.
#include <jpeglib.h>
#include <jerror.h>

#include "engine/colour_rows.h"
#include "engine/jpeg_profile_segments.h"
#include "engine/rows_ahead.h"
#include "engine/tile_pyramid.h"

namespace kerfel {
namespace {

// A progressive picture needs a few dozen scans; thousands only make its
// decoding last (each scan is a pass over every coefficient). The library's
// own tools stop at the same number.
constexpr int kMostScans = 500;

// Rows of a picture read whole between two looks for a stop.
constexpr unsigned kWholeBand = 256;

// Why decoding ended, beside the library's message codes.
enum EndCode { kTooManyScans = -1, kStopped = -2 };

struct ErrorExit {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    int code = 0;            // the message code (or EndCode) that ended decoding
    bool acceptDamage = false;
    int damage = 0;          // the warning that first told of damage; 0: none
    unsigned damagedRow = 0;  // the first stored row it touched
    bool allRowsRead = false;  // what is read now is what follows the last row
};

// Any error ends the call that met it, through the jump set by Guarded.
[[noreturn]] void EndDecoding(j_common_ptr c, int code) {
    ErrorExit* e = reinterpret_cast<ErrorExit*>(c->err);
    e->code = code;
    std::longjmp(e->jump, 1);
}

[[noreturn]] void OnError(j_common_ptr c) { EndDecoding(c, c->err->msg_code); }

// The warnings that say pixels are missing or wrong: coded data that ends
// before the picture does, codes that cannot be, and data left over where a
// scan should end (a sign that what was decoded before it was not what was
// coded). Not: stray bytes between the segments before the first scan, or
// a missing end marker after every row was read.
bool TellsOfDamage(j_common_ptr c, bool allRowsRead) {
    switch (c->err->msg_code) {
        case JWRN_EXTRANEOUS_DATA: return reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > 0;
        case JWRN_JPEG_EOF: return !allRowsRead;
        case JWRN_HIT_MARKER:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL:
        case JWRN_BOGUS_PROGRESSION: return true;
        default: return false;
    }
}

// Warnings are not printed; damage ends decoding unless it is accepted, and
// then the first is remembered with the row it reached.
void OnMessage(j_common_ptr c, int level) {
    ErrorExit* e = reinterpret_cast<ErrorExit*>(c->err);
    if (level >= 0 || !c->is_decompressor || !TellsOfDamage(c, e->allRowsRead)) return;
    if (!e->damage) {
        const auto* d = reinterpret_cast<j_decompress_ptr>(c);
        e->damage = c->err->msg_code;
        e->damagedRow = static_cast<unsigned>(
            std::min<unsigned long long>(1ull * d->input_iMCU_row * d->max_v_samp_factor * DCTSIZE, d->image_height));
    }
    if (!e->acceptDamage) EndDecoding(c, c->err->msg_code);
}

// Called between the scans (and iMCU rows) a multi-scan picture is read in.
struct ScanWatch {
    jpeg_progress_mgr base{};
    std::function<bool()> stop;
};

void OnProgress(j_common_ptr c) {
    const auto* watch = reinterpret_cast<ScanWatch*>(c->progress);
    if (reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > kMostScans) EndDecoding(c, kTooManyScans);
    if (watch->stop()) EndDecoding(c, kStopped);
}

// Adobe CMYK is stored inverted (255 = no ink); plain CMYK is not.
void CmykToRgb(const uint8_t* src, uint8_t* dst, size_t pixels, bool inverted) {
    for (size_t i = 0; i < pixels; ++i, src += 4, dst += 3) {
        unsigned k = inverted ? src[3] : 255 - src[3];
        for (int c = 0; c < 3; ++c) {
            unsigned v = inverted ? src[c] : 255 - src[c];
            dst[c] = static_cast<uint8_t>((v * k + 127) / 255);
        }
    }
}

SampleLayout StoredLayout(int components, bool adobe) {
    if (components == 4) return adobe ? SampleLayout::InvertedCmyk : SampleLayout::Cmyk;
    return components == 1 ? SampleLayout::Grey : SampleLayout::Rgb;
}

}  // namespace

struct JpegReader::Codec {
    jpeg_decompress_struct info{};
    ErrorExit error;
    std::FILE* file = nullptr;
    bool created = false;
    std::vector<uint8_t> stored;         // one band of CMYK rows as decoded, turned into RGB without a profile
    std::unique_ptr<RowConverter> colour;  // from the embedded profile to sRGB; none: as stored
    std::unique_ptr<RowsAhead> ahead;      // the rows converted from the profile

    ~Codec() {
        if (created) jpeg_destroy_decompress(&info);
        if (file) std::fclose(file);
    }

    // Runs `step` (library calls only: nothing in it may need a destructor);
    // false when the library gave up on the way.
    template <class Step>
    bool Guarded(Step step) {
        if (setjmp(error.jump)) return false;
        step();
        return true;
    }
};

JpegReader::JpegReader() = default;
JpegReader::~JpegReader() = default;

// What damage the decoder met, for the failure and for the note of a
// picture published all the same. Damage found only after the last row
// cannot be placed: any row may be wrong.
std::string JpegReader::DamageText() const {
    const ErrorExit& e = m_codec->error;
    if (e.damagedRow >= m_header.height) return "the JPEG data is damaged (corrupt data where its scan should end)";
    const bool cut = e.damage == JWRN_JPEG_EOF || e.damage == JWRN_HIT_MARKER;
    return "the JPEG data is damaged from row " + std::to_string(e.damagedRow) + " of " +
           std::to_string(m_header.height) + (cut ? " (it ends early)" : " (corrupt data)");
}

std::string JpegReader::DamageNote() const {
    if (!m_codec || !m_codec->error.damage) return {};
    const unsigned row = m_codec->error.damagedRow;
    if (row >= m_header.height) return DamageText() + ": published all the same";
    return DamageText() + ": " + std::to_string(m_header.height - row) + " rows are missing or wrong, published all the same";
}

Status JpegReader::Failure() const {
    const ErrorExit& e = m_codec->error;
    switch (e.code) {
        case JERR_OUT_OF_MEMORY: return NoMemory(Width(), Height(), "picture");
        case kStopped: return Status::Cancel();
        case kTooManyScans:
            return Status::Bad("the JPEG has more than " + std::to_string(kMostScans) +
                               " scans (a picture needs a few dozen); it is refused");
    }
    if (e.damage) return Status::Bad(DamageText());
    return Status::Bad("the JPEG data is damaged or incomplete");
}

Status JpegReader::Named(Status s) const {
    if (!s.ok()) s.message = m_name + ": " + s.message;
    return s;
}

unsigned JpegReader::Width() const {
    return OrientationSwapsSides(m_header.orientation) ? m_header.height : m_header.width;
}

unsigned JpegReader::Height() const {
    return OrientationSwapsSides(m_header.orientation) ? m_header.width : m_header.height;
}

unsigned long long JpegReader::WholePictureBytes(int scale) const {
    unsigned long long bytes = m_coefficientBytes;
    const unsigned long long w = (m_header.width + scale - 1) / scale, h = (m_header.height + scale - 1) / scale;
    if (OrientationNeedsWholePicture(m_header.orientation)) bytes += 2 * w * h * 3;
    return bytes;
}

Status JpegReader::Open(const std::string& path) {
    m_name = path;
    Status s = ReadJpegHeader(path, m_header);
    if (!s) return Named(s);
    // Not blocking on the open: a named pipe put there since would hold the caller.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (!file) {
        const int err = errno;
        if (fd >= 0) ::close(fd);
        return Named(Status::Bad(std::string("cannot open: ") + std::strerror(err)));
    }
    m_codec = std::make_unique<Codec>();
    m_codec->file = file;
    return OpenMemory(nullptr, 0, path);
}

Status JpegReader::OpenMemory(const uint8_t* data, size_t size, const std::string& name) {
    m_name = name;
    if (data) {
        Status s = ParseJpegHeader(data, size, m_header);
        if (!s) return Named(s);
        m_header.fileSize = size;
        m_codec = std::make_unique<Codec>();
    }
    if (!m_codec) return Named(Status::Bad("the file is empty"));
    const JpegHeader& h = m_header;
    if (h.width > kMaxJpegSide || h.height > kMaxJpegSide)
        return Named(Status::Bad("the picture is larger than a JPEG can be (" + SizeText(h.width, h.height) +
                                 " pixels; at most " + std::to_string(kMaxJpegSide) + " a side)"));
    if (CodedBytes(h) < MinimumCodedBytes(h.width, h.height))
        return Named(Status::Bad("the file's coded data is too short for the " + SizeText(h.width, h.height) +
                                 " pixels its header claims (damaged)"));
    Codec& c = *m_codec;
    c.info.err = jpeg_std_error(&c.error.base);
    c.error.base.error_exit = OnError;
    c.error.base.emit_message = OnMessage;
    const bool read = c.Guarded([&] {
        jpeg_create_decompress(&c.info);
        c.created = true;
        if (c.file) jpeg_stdio_src(&c.info, c.file);
        else jpeg_mem_src(&c.info, data, static_cast<unsigned long>(size));
        KeepProfileSegments(&c.info);
        jpeg_read_header(&c.info, TRUE);
    });
    if (!read) return Named(Failure());
    if (c.info.image_width != h.width || c.info.image_height != h.height)
        return Named(Status::Bad("the decoded size does not match the header"));
    if (!ReadProfile()) return Named(Failure());
    // What the library holds for the whole picture when it cannot decode
    // it in one pass: every coefficient block of every component.
    m_coefficientBytes = 0;
    if (jpeg_has_multiple_scans(&c.info)) {
        const unsigned long long mcuWide = (h.width + 8ull * c.info.max_h_samp_factor - 1) / (8 * c.info.max_h_samp_factor);
        const unsigned long long mcuHigh = (h.height + 8ull * c.info.max_v_samp_factor - 1) / (8 * c.info.max_v_samp_factor);
        for (int i = 0; i < c.info.num_components; ++i) {
            const jpeg_component_info& comp = c.info.comp_info[i];
            m_coefficientBytes += mcuWide * comp.h_samp_factor * mcuHigh * comp.v_samp_factor * sizeof(JBLOCK);
        }
    }
    return Status::Ok();
}

bool JpegReader::ReadProfile() {
    Codec& c = *m_codec;
    const SampleLayout layout = StoredLayout(c.info.num_components, m_header.adobe);
    JOCTET* icc = nullptr;
    unsigned int length = 0;
    bool whole = false;
    if (!c.Guarded([&] { whole = jpeg_read_icc_profile(&c.info, &icc, &length); })) return false;
    std::unique_ptr<JOCTET, decltype(&std::free)> owned(icc, &std::free);
    try {
        if (whole) m_profile = ColourProfile::Read(std::vector<uint8_t>(icc, icc + length), layout);
        else if (AnnouncesProfile(c.info)) m_profile = ColourProfile::Damaged(layout);
        else m_profile = ColourProfile::Read({}, layout);
    } catch (const std::bad_alloc&) {
        // A profile may take 16 MiB; the picture can still be cut without it.
        m_profile = ColourProfile::Unused(layout, "not enough memory to read the colour profile");
    }
    m_colourNote = m_profile.Note();
    return true;
}

void JpegReader::PrepareColours(int threads) {
    Codec& c = *m_codec;
    c.ahead.reset();
    c.colour.reset();
    c.colour = ConverterFrom(m_profile, threads, m_colourNote);
}

Status JpegReader::Start(int scaleDenominator, int threads) {
    if (!m_codec || !m_codec->created) return Named(Status::Bad("the file is not open"));
    Codec& c = *m_codec;
    const JpegHeader& h = m_header;
    c.error.acceptDamage = DamageAccepted();
    c.info.scale_num = 1;
    c.info.scale_denom = static_cast<unsigned>(std::clamp(scaleDenominator, 1, 8));
    try {
        PrepareColours(threads);
    } catch (const std::bad_alloc&) {
        return Named(NoMemory(Width(), Height(), "picture"));
    }
    const bool grey = c.colour && c.colour->Layout() == SampleLayout::Grey;
    c.info.out_color_space = c.info.num_components == 4 ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_RGB;
    // A picture of many scans is read whole here: the number of scans is
    // held to a limit, and a stop is seen between them.
    ScanWatch watch;
    watch.base.progress_monitor = OnProgress;
    watch.stop = [this] { return StopRequested(); };
    c.info.progress = &watch.base;
    const bool started = c.Guarded([&] { jpeg_start_decompress(&c.info); });
    c.info.progress = nullptr;
    if (!started) return Named(Failure());
    const bool swap = OrientationSwapsSides(h.orientation);
    m_outWidth = swap ? c.info.output_height : c.info.output_width;
    m_outHeight = swap ? c.info.output_width : c.info.output_height;
    m_rowsGiven = 0;
    if (OrientationNeedsWholePicture(h.orientation)) return LoadWholePicture();
    return Status::Ok();
}

Status JpegReader::ReadStoredRows(uint8_t* const* rows, unsigned count) {
    Codec& c = *m_codec;
    const unsigned width = c.info.output_width;
    Status s;
    try {
        if (c.colour) {
            if (!c.ahead)
                c.ahead = std::make_unique<RowsAhead>(*c.colour, width, c.info.output_height,
                                                      [this](uint8_t* const* r, unsigned n) { return DecodeRows(r, n); });
            s = c.ahead->Read(rows, count);
        } else if (c.info.output_components == 4) {
            // CMYK without a profile is read into a band of its own, then turned into RGB rows.
            c.stored.resize(size_t(width) * 4 * 16);
            uint8_t* band[16];
            for (unsigned i = 0; i < 16; ++i) band[i] = c.stored.data() + size_t(i) * width * 4;
            for (unsigned done = 0; s && done < count; done += 16) {
                const unsigned want = std::min(count - done, 16u);
                if (!(s = DecodeRows(band, want))) break;
                for (unsigned i = 0; i < want; ++i) CmykToRgb(band[i], rows[done + i], width, m_header.adobe);
            }
        } else {
            s = DecodeRows(rows, count);
        }
    } catch (const std::bad_alloc&) {
        return NoMemory(Width(), Height(), "picture");
    }
    if (s && m_header.orientation == 2)
        for (unsigned i = 0; i < count; ++i) MirrorRow(rows[i], width);
    return s;
}

// The next stored rows as the library decodes them; the scan ends with its last row.
Status JpegReader::DecodeRows(uint8_t* const* rows, unsigned count) {
    Codec& c = *m_codec;
    for (unsigned got = 0; got < count;) {
        JDIMENSION n = 0;
        JSAMPARRAY at = const_cast<JSAMPARRAY>(rows) + got;
        if (!c.Guarded([&] { n = jpeg_read_scanlines(&c.info, at, count - got); }) || n == 0) return Failure();
        got += n;
    }
    return c.info.output_scanline == c.info.output_height ? FinishScan() : Status::Ok();
}

// The data after the last row must end the scan: anything left over means
// rows were decoded from something else than was coded.
Status JpegReader::FinishScan() {
    Codec& c = *m_codec;
    c.error.allRowsRead = true;
    if (c.Guarded([&] { jpeg_finish_decompress(&c.info); })) return Status::Ok();
    if (c.error.code == JERR_OUT_OF_MEMORY) return Failure();
    // Markers that cannot be where the scan should end are damage found there.
    if (!c.error.damage) {
        c.error.damage = c.error.code;
        c.error.damagedRow = m_header.height;
    }
    return c.error.acceptDamage ? Status::Ok() : Failure();
}

Status JpegReader::LoadWholePicture() {
    Codec& c = *m_codec;
    try {
        PixelBuffer stored = PixelBuffer::Make(c.info.output_width, c.info.output_height);
        std::vector<uint8_t*> rows(stored.height);
        for (unsigned y = 0; y < stored.height; ++y) rows[y] = stored.Row(y);
        for (unsigned y = 0; y < stored.height; y += kWholeBand) {
            if (StopRequested()) return Status::Cancel();
            Status s = ReadStoredRows(rows.data() + y, std::min(kWholeBand, stored.height - y));
            if (!s) return Named(s);
        }
        m_whole = Reorient(std::move(stored), m_header.orientation);
    } catch (const std::bad_alloc&) {
        m_whole = PixelBuffer{};
        return Named(NoMemory(Width(), Height(), "picture"));
    }
    return Status::Ok();
}

Status JpegReader::ReadRows(uint8_t* const* rows, unsigned count) {
    if (!m_codec || m_outHeight == 0) return Named(Status::Bad("decoding has not started"));
    if (count > m_outHeight - m_rowsGiven) return Named(Status::Bad("more rows asked for than the picture has"));
    if (!m_whole.Empty()) {
        for (unsigned i = 0; i < count; ++i) std::memcpy(rows[i], m_whole.Row(m_rowsGiven + i), m_whole.Stride());
    } else {
        Status s = ReadStoredRows(rows, count);
        if (!s) return Named(s);
    }
    m_rowsGiven += count;
    return Status::Ok();
}

}  // namespace kerfel
