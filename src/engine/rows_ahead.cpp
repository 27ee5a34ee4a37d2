#include "engine/rows_ahead.h"

#include <algorithm>
#include <cstring>

namespace kerfel {
namespace {

constexpr unsigned kBandRows = 16;

}  // namespace

RowsAhead::RowsAhead(RowConverter& converter, unsigned width, unsigned height, Decode decode)
    : m_converter(converter), m_decode(std::move(decode)), m_width(width), m_left(height) {
    const size_t stored = size_t(width) * SampleBytes(converter.Layout()), rgb = size_t(width) * 3;
    for (Band& b : m_bands) {
        b.stored.resize(stored * kBandRows);
        b.rgb.resize(rgb * kBandRows);
        for (unsigned i = 0; i < kBandRows; ++i) {
            b.storedRows.push_back(b.stored.data() + i * stored);
            b.rgbRows.push_back(b.rgb.data() + i * rgb);
        }
    }
}

RowsAhead::~RowsAhead() {
    // The helpers may still be reading a band this object owns.
    if (m_converting >= 0) m_converter.Finish();
}

Status RowsAhead::DecodeInto(int band) {
    Band& b = m_bands[band];
    b.count = std::min(m_left, kBandRows);
    m_left -= b.count;
    return m_decode(b.storedRows.data(), b.count);
}

void RowsAhead::Begin(int band) {
    Band& b = m_bands[band];
    m_converter.Begin(b.storedRows.data(), b.rgbRows.data(), b.count, m_width);
    m_converting = band;
}

Status RowsAhead::Read(uint8_t* const* rows, unsigned count) {
    for (unsigned done = 0; done < count;) {
        if (m_given >= 0 && m_taken < m_bands[m_given].count) {
            const unsigned n = std::min(count - done, m_bands[m_given].count - m_taken);
            for (unsigned i = 0; i < n; ++i)
                std::memcpy(rows[done + i], m_bands[m_given].rgbRows[m_taken + i], size_t(m_width) * 3);
            m_taken += n;
            done += n;
            continue;
        }
        // The band given out is used up: its buffers take the next one.
        if (m_converting < 0) {
            if (m_left == 0) return Status::Bad("more rows asked for than the picture has");
            Status s = DecodeInto(0);
            if (!s) return s;
            Begin(0);
        }
        // The band after it is decoded while this one is converted.
        const int next = 1 - m_converting;
        const bool more = m_left > 0;
        Status s = more ? DecodeInto(next) : Status::Ok();
        m_converter.Finish();
        m_given = m_converting;
        m_taken = 0;
        m_converting = -1;
        if (!s) return s;
        if (more) Begin(next);
    }
    return Status::Ok();
}

}  // namespace kerfel
