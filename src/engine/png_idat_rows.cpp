#include "engine/png_idat_rows.h"

#include "engine/png_unfilter.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kerfel {

struct PngIdatRows::Inflater {
    inflate_state state;
};

namespace {

constexpr size_t kInputBytes = 256 * 1024;
// The inflater may be up to two bands ahead: 16 rows, fewer when wide.
constexpr size_t kBandRows = 16;
constexpr size_t kBandBytes = 2 << 20;

uint32_t BigEndian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

#if defined(__SSE2__)
// Eight big-endian samples to v / 257 rounded, as (t - t / 256) / 256 with
// t = v + 128 (saturated), which gives the same for every v.
__m128i ScaleLanes(__m128i x) {
    x = _mm_or_si128(_mm_slli_epi16(x, 8), _mm_srli_epi16(x, 8));
    const __m128i t = _mm_adds_epu16(x, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_sub_epi16(t, _mm_srli_epi16(t, 8)), 8);
}
#endif

// Rounds as libpng's scaling does, so both paths give the same pixels.
void ScaleTo8Bits(const uint8_t* in, uint8_t* out, size_t samples) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= samples; i += 16) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_packus_epi16(ScaleLanes(first), ScaleLanes(second)));
    }
#endif
    for (; i < samples; ++i)
        out[i] = static_cast<uint8_t>(((unsigned(in[2 * i]) << 8 | in[2 * i + 1]) * 255u + 32895u) >> 16);
}

}  // namespace

PngIdatRows::PngIdatRows(const SourceBytes& bytes, uint64_t offset, unsigned rows, size_t samples,
                         unsigned channels, int depth)
    : m_bytes(bytes), m_offset(offset), m_inflater(std::make_unique<Inflater>()), m_rows(rows), m_samples(samples),
      m_stored(1 + samples * (depth == 16 ? 2 : 1)), m_bytesPerPixel(channels * (depth == 16 ? 2 : 1)),
      m_wide(depth == 16),
      m_bandRows(static_cast<unsigned>(
          std::clamp<size_t>(kBandBytes / m_stored, 1, std::min(kBandRows, size_t(rows))))) {
    isal_inflate_init(&m_inflater->state);
    m_inflater->state.crc_flag = ISAL_ZLIB;
    m_inflater->state.avail_in = 0;
    m_input.resize(kInputBytes);
    m_previous.assign(m_stored - 1, 0);
}

PngIdatRows::~PngIdatRows() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool PngIdatRows::InflateAhead() {
    try {
        for (Band& b : m_bands) b.rows.resize(m_bandRows * m_stored);
        m_thread = std::thread([this] { InflateBands(); });
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The inflater's thread: fills the two bands by turns until the rows or
// the data end.
void PngIdatRows::InflateBands() {
    for (int k = 0;; k ^= 1) {
        Band& b = m_bands[k];
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [&] { return !b.full || m_stop; });
            if (m_stop) return;
        }
        unsigned count = 0;
        const Status s = InflateBand(b.rows.data(), count);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            b.count = count;
            b.status = s;
            b.full = true;
        }
        m_changed.notify_all();
        if (!s || m_inflated == m_rows) return;
    }
}

// The next band's rows (fewer at the end), on whichever thread inflates.
Status PngIdatRows::InflateBand(uint8_t* out, unsigned& count) {
    const unsigned want = std::min(m_bandRows, m_rows - m_inflated);
    for (count = 0; count < want; ++count, ++m_inflated, out += m_stored)
        if (Status s = Inflate(out, m_stored); !s) return s;
    return Status::Ok();
}

// Gives the band the caller has read back to the inflater, and waits for
// the next one (or, with no thread, inflates it).
void PngIdatRows::TakeBand() {
    Band& done = m_bands[m_current];
    if (m_holding && done.count > 0)
        std::memcpy(m_previous.data(), done.rows.data() + (done.count - 1) * m_stored + 1, m_stored - 1);
    m_inBand = 0;
    if (!m_thread.joinable()) {
        done.rows.resize(m_bandRows * m_stored);
        done.status = InflateBand(done.rows.data(), done.count);
        m_holding = true;
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_holding) {
        done.full = false;
        m_current ^= 1;
        m_changed.notify_all();
    }
    m_changed.wait(lock, [&] { return m_bands[m_current].full; });
    m_holding = true;
}

// Starts the next IDAT chunk, or notes that they ended.
Status PngIdatRows::NextChunk() {
    uint8_t header[8];
    if (m_bytes.ReadAt(m_offset, header, 8) != 8) return Status::Bad("the PNG data is incomplete");
    if (std::memcmp(header + 4, "IDAT", 4) != 0) {
        m_chunksEnded = true;
        return Status::Ok();
    }
    const uint32_t length = BigEndian(header);
    if (length > 0x7fffffffu) return Status::Bad("the PNG data is damaged (a chunk's length is impossible)");
    m_offset += 8;
    m_chunkLeft = length;
    m_crc = crc32_gzip_refl(0, header + 4, 4);
    return length == 0 ? EndChunk() : Status::Ok();
}

Status PngIdatRows::EndChunk() {
    uint8_t crc[4];
    if (m_bytes.ReadAt(m_offset, crc, 4) != 4) return Status::Bad("the PNG data is incomplete");
    if (BigEndian(crc) != m_crc) return Status::Bad("the PNG data is damaged (a chunk's CRC is wrong)");
    m_offset += 4;
    return Status::Ok();
}

// Reads the next piece of compressed data; none once the chunks ended.
Status PngIdatRows::Refill() {
    while (m_chunkLeft == 0) {
        if (m_chunksEnded) return Status::Ok();
        if (Status s = NextChunk(); !s) return s;
    }
    const size_t n = static_cast<size_t>(std::min<uint64_t>(m_chunkLeft, m_input.size()));
    if (m_bytes.ReadAt(m_offset, m_input.data(), n) != n) return Status::Bad("the PNG data is incomplete");
    m_crc = crc32_gzip_refl(m_crc, m_input.data(), n);
    m_offset += n;
    m_chunkLeft -= n;
    m_inflater->state.next_in = m_input.data();
    m_inflater->state.avail_in = static_cast<uint32_t>(n);
    return m_chunkLeft == 0 ? EndChunk() : Status::Ok();
}

Status PngIdatRows::Inflate(uint8_t* out, size_t count) {
    inflate_state& s = m_inflater->state;
    // The library counts in 32 bits; a row of the widest 16-bit RGBA picture
    // is 16 GiB.
    constexpr size_t kMostAtOnce = size_t(1) << 30;
    for (; count > kMostAtOnce; count -= kMostAtOnce, out += kMostAtOnce)
        if (Status st = Inflate(out, kMostAtOnce); !st) return st;
    s.next_out = out;
    s.avail_out = static_cast<uint32_t>(count);
    while (s.avail_out > 0) {
        if (s.avail_in == 0 && s.block_state != ISAL_BLOCK_FINISH) {
            if (Status st = Refill(); !st) return st;
        }
        const uint32_t before = s.avail_out;
        if (isal_inflate(&s) < 0) return Status::Bad("the PNG data is damaged (it does not inflate)");
        const bool noMore = s.block_state == ISAL_BLOCK_FINISH || (s.avail_in == 0 && m_chunksEnded);
        if (s.avail_out == before && noMore) return Status::Bad("the PNG data is incomplete (its rows end early)");
    }
    return Status::Ok();
}

Status PngIdatRows::Next(uint8_t* into) {
    if (m_given == m_rows) return Status::Bad("more rows asked for than the picture has");
    // Until the caller holds a band, the inflater may be filling it.
    if (!m_holding || m_inBand == m_bands[m_current].count) {
        if (m_holding && !m_bands[m_current].status) return m_bands[m_current].status;
        TakeBand();
        if (m_bands[m_current].count == 0) return m_bands[m_current].status;
    }
    uint8_t* row = m_bands[m_current].rows.data() + size_t(m_inBand) * m_stored;
    const uint8_t* above = m_inBand > 0 ? row - m_stored + 1 : m_previous.data();
    const size_t bytes = m_stored - 1;
    if (!UnfilterRow(row[0], row + 1, above, bytes, m_bytesPerPixel))
        return Status::Bad("the PNG data is damaged (a row has an unknown filter)");
    if (m_wide) ScaleTo8Bits(row + 1, into, m_samples);
    else std::memcpy(into, row + 1, bytes);
    ++m_inBand;
    ++m_given;
    return Status::Ok();
}

}  // namespace kerfel
