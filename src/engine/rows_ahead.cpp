#include "engine/rows_ahead.h"

#include <algorithm>

namespace kerfel {
namespace {

constexpr unsigned kBandRows = 16;

}  // namespace

RowsAhead::RowsAhead(RowConverter& converter, unsigned width, unsigned height, Decode decode)
    : m_converter(converter), m_decode(std::move(decode)), m_width(width), m_left(height) {
    const size_t stride = size_t(width) * SampleBytes(converter.Layout());
    for (Band& b : m_bands) {
        b.stored.resize(stride * kBandRows);
        for (unsigned i = 0; i < kBandRows; ++i) b.rows.push_back(b.stored.data() + i * stride);
    }
}

Status RowsAhead::DecodeInto(Band& band) {
    band.count = std::min(m_left, kBandRows);
    band.used = 0;
    m_left -= band.count;
    return m_decode(band.rows.data(), band.count);
}

Status RowsAhead::Read(uint8_t* const* rows, unsigned count) {
    for (unsigned done = 0; done < count;) {
        Band& band = m_bands[m_current];
        if (band.used == band.count) {
            if (m_nextReady) {
                m_current = 1 - m_current;
                m_nextReady = false;
                continue;
            }
            if (m_left == 0) return Status::Bad("more rows asked for than the picture has");
            Status s = DecodeInto(band);
            if (!s) return s;
        }
        const unsigned n = std::min(count - done, band.count - band.used);
        m_converter.Begin(band.rows.data() + band.used, rows + done, n, m_width);
        Status s;
        if (!m_nextReady && m_left > 0) {
            s = DecodeInto(m_bands[1 - m_current]);
            m_nextReady = s.ok();
        }
        m_converter.Finish();
        if (!s) return s;
        band.used += n;
        done += n;
    }
    return Status::Ok();
}

}  // namespace kerfel
