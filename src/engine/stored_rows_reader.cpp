#include "engine/stored_rows_reader.h"

#include <algorithm>
#include <cstring>
#include <new>


namespace kerfel {
namespace {

constexpr unsigned kWholeBand = 256;  // rows of a picture read whole between two looks for a stop

void SpreadGrey(const uint8_t* grey, uint8_t* rgb, unsigned width) {
    for (unsigned x = 0; x < width; ++x, rgb += 3) rgb[0] = rgb[1] = rgb[2] = grey[x];
}

void PickColumns(const uint8_t* from, uint8_t* into, unsigned width, unsigned step, int bytes) {
    for (unsigned x = 0; x < width; ++x, into += bytes) std::memcpy(into, from + size_t(x) * step * bytes, bytes);
}

}  // namespace

Status StoredRowsReader::Named(Status s) const {
    if (!s.ok() && s.message.rfind(m_name + ": ", 0) != 0) s.message = m_name + ": " + s.message;
    return s;
}

unsigned long long StoredRowsReader::WholePictureBytes(int scale) const {
    scale = std::clamp(scale, 1, MaxScale());
    unsigned long long bytes = FormatWholeBytes(scale);
    const unsigned long long w = (m_width + scale - 1ull) / scale, h = (m_height + scale - 1ull) / scale;
    if (OrientationNeedsWholePicture(m_orientation)) bytes += 2 * w * h * 3;
    return bytes;
}

Status StoredRowsReader::Start(int scale, int threads) {
    if (m_width == 0 || m_height == 0) return Named(Status::Bad("the file is not open"));
    scale = std::clamp(scale, 1, MaxScale());
    unsigned w = 0, h = 0;
    m_threads = std::max(1, threads);
    Status s = StartStored(scale, w, h);
    if (!s) return Named(s);
    m_storedWidth = w;
    m_storedHeight = h;
    // As many columns as 1/scale of the full picture asks for, never fewer.
    const unsigned want = static_cast<unsigned>((m_width + scale - 1ull) / scale);
    m_step = std::max(1u, w / std::max(1u, want));
    m_outWidth = static_cast<unsigned>((w + m_step - 1ull) / m_step);
    m_outHeight = static_cast<unsigned>((h + m_step - 1ull) / m_step);
    m_rowsGiven = 0;
    m_storedRead = 0;
    m_rowsGivenStored = 0;
    m_whole = PixelBuffer{};
    try {
        m_ahead.reset();
        m_colour = ConverterFrom(m_profile, threads, m_colourNote);
        const size_t bytes = size_t(SampleBytes(m_samples));
        m_stored.assign(m_step > 1 ? size_t(w) * bytes : 0, 0);
        m_grey.assign(m_samples == SampleLayout::Grey ? m_outWidth : 0, 0);
    } catch (const std::bad_alloc&) {
        return Named(NoMemory(Width(), Height(), "picture"));
    }
    if (OrientationNeedsWholePicture(m_orientation)) return LoadWholePicture();
    return Status::Ok();
}

Status StoredRowsReader::ReadPicked(uint8_t* into) {
    const unsigned long long wanted = 1ull * m_rowsGivenStored++ * m_step;  // the stored row this output row is
    for (; m_storedRead < wanted; ++m_storedRead) {
        Status s = ReadStored(m_stored.data());
        if (!s) return s;
    }
    ++m_storedRead;
    if (m_step == 1) return ReadStored(into);
    Status s = ReadStored(m_stored.data());
    if (s) PickColumns(m_stored.data(), into, m_outWidth, m_step, SampleBytes(m_samples));
    return s;
}

Status StoredRowsReader::ReadBand(uint8_t* const* rows, unsigned count) {
    Status s;
    if (m_colour) {
        if (!m_ahead)
            m_ahead = std::make_unique<RowsAhead>(*m_colour, m_outWidth, m_outHeight,
                                                  [this](uint8_t* const* r, unsigned n) { return DecodeRows(r, n); });
        s = m_ahead->Read(rows, count);
    } else {
        s = DecodeRows(rows, count);
    }
    if (s && m_orientation == 2)
        for (unsigned i = 0; i < count; ++i) MirrorRow(rows[i], m_outWidth);
    return s;
}

Status StoredRowsReader::ReadStoredRows(uint8_t* const* rows, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
        Status s = ReadStored(rows[i]);
        if (!s) return s;
    }
    return Status::Ok();
}

// Whole bands go to the format only when its rows are handed out as they
// are stored: every row and column kept, in RGB, colours as they are,
// not turned.
unsigned StoredRowsReader::BandRows() const {
    const unsigned format = StoredBandRows();
    const bool asStored = m_step == 1 && m_samples == SampleLayout::Rgb && !m_colour && m_whole.Empty();
    return format > 0 && asStored ? format : SourceReader::BandRows();
}

// The next rows in the layout the converter takes (RGB without one).
Status StoredRowsReader::DecodeRows(uint8_t* const* rows, unsigned count) {
    const bool spread = m_samples == SampleLayout::Grey && !(m_colour && m_colour->Layout() == SampleLayout::Grey);
    if (m_step == 1 && !spread) {
        m_rowsGivenStored += count;
        m_storedRead += count;
        return ReadStoredRows(rows, count);
    }
    for (unsigned i = 0; i < count; ++i) {
        Status s = ReadPicked(spread ? m_grey.data() : rows[i]);
        if (!s) return s;
        if (spread) SpreadGrey(m_grey.data(), rows[i], m_outWidth);
    }
    return Status::Ok();
}

Status StoredRowsReader::LoadWholePicture() {
    try {
        PixelBuffer stored = PixelBuffer::Make(m_outWidth, m_outHeight);
        std::vector<uint8_t*> rows(stored.height);
        for (unsigned y = 0; y < stored.height; ++y) rows[y] = stored.Row(y);
        for (unsigned y = 0; y < stored.height; y += kWholeBand) {
            if (StopRequested()) return Status::Cancel();
            Status s = ReadBand(rows.data() + y, std::min(kWholeBand, stored.height - y));
            if (!s) return Named(s);
        }
        m_whole = Reorient(std::move(stored), m_orientation);
    } catch (const std::bad_alloc&) {
        m_whole = PixelBuffer{};
        return Named(NoMemory(Width(), Height(), "picture"));
    }
    return Status::Ok();
}

Status StoredRowsReader::ReadRows(uint8_t* const* rows, unsigned count) {
    if (m_outHeight == 0) return Named(Status::Bad("decoding has not started"));
    if (count > OutputHeight() - m_rowsGiven) return Named(Status::Bad("more rows asked for than the picture has"));
    if (!m_whole.Empty()) {
        for (unsigned i = 0; i < count; ++i) std::memcpy(rows[i], m_whole.Row(m_rowsGiven + i), m_whole.Stride());
    } else {
        try {
            Status s = ReadBand(rows, count);
            if (!s) return Named(s);
        } catch (const std::bad_alloc&) {
            return Named(NoMemory(Width(), Height(), "picture"));
        }
    }
    m_rowsGiven += count;
    return Status::Ok();
}

}  // namespace kerfel
