#pragma once
// What the TIFF and PNG readers share once their library has handed over a
// stored row as 8-bit samples with any alpha composed over white: rows
// skipped for a reduced picture, colours converted from the file's profile
// (on several threads, a band at a time), grey spread to RGB, and the
// orientation put right. A format only reads its rows and sizes what it
// must hold.
#include <memory>
#include <vector>

#include "engine/colour_rows.h"
#include "engine/rows_ahead.h"
#include "engine/pixel_buffer.h"
#include "engine/source_reader.h"

namespace kerfel {

class StoredRowsReader : public SourceReader {
public:
    const ColourProfile& Profile() const override { return m_profile; }
    const std::string& ColourNote() const override { return m_colourNote; }
    int Orientation() const override { return m_orientation; }
    unsigned Width() const override { return OrientationSwapsSides(m_orientation) ? m_height : m_width; }
    unsigned Height() const override { return OrientationSwapsSides(m_orientation) ? m_width : m_height; }
    unsigned long long WholePictureBytes(int scale = 1) const override;
    // Rows are picked, not filtered: any fraction is as cheap as another.
    int MaxScale() const override { return 1 << 16; }
    Status Start(int scale = 1, int threads = 1) override;
    unsigned OutputWidth() const override { return OrientationSwapsSides(m_orientation) ? m_outHeight : m_outWidth; }
    unsigned OutputHeight() const override { return OrientationSwapsSides(m_orientation) ? m_outWidth : m_outHeight; }
    Status ReadRows(uint8_t* const* rows, unsigned count) override;
    unsigned BandRows() const override;

protected:
    // Set by the format when it opens the file.
    std::string m_name;
    unsigned m_width = 0, m_height = 0;  // as stored
    int m_orientation = 1;
    int m_threads = 1;  // the threads the job gave Start, for a format that decodes on several
    SampleLayout m_samples = SampleLayout::Rgb;  // Grey or Rgb, as ReadStored hands them
    ColourProfile m_profile;
    std::string m_colourNote;

    Status Named(Status s) const;
    // What the format must hold at once beyond a few rows, for a picture
    // read at 1/`scale` (0 when it streams).
    virtual unsigned long long FormatWholeBytes(int scale) const = 0;
    // Readies the rows of a picture at least 1/`scale` of the size (the
    // full one, or a reduced copy the file holds); its stored size in w, h.
    virtual Status StartStored(int scale, unsigned& w, unsigned& h) = 0;
    // The next stored row, w samples in m_samples's layout.
    virtual Status ReadStored(uint8_t* into) = 0;
    // The next `count` stored rows; a format may read them at once.
    virtual Status ReadStoredRows(uint8_t* const* rows, unsigned count);
    // Rows the format reads at once (see SourceReader::BandRows); 0: any.
    virtual unsigned StoredBandRows() const { return 0; }

private:
    Status ReadBand(uint8_t* const* rows, unsigned count);
    Status DecodeRows(uint8_t* const* rows, unsigned count);
    Status ReadPicked(uint8_t* into);
    Status LoadWholePicture();

    unsigned m_storedWidth = 0, m_storedHeight = 0;  // what ReadStored gives
    unsigned m_step = 1;                             // one stored row and column in m_step is kept
    unsigned m_outWidth = 0, m_outHeight = 0;        // as stored, after the step
    unsigned m_rowsGiven = 0;        // upright rows handed out
    unsigned m_rowsGivenStored = 0;  // output rows read in stored order
    unsigned m_storedRead = 0;       // stored rows read
    std::unique_ptr<RowConverter> m_colour;
    std::vector<uint8_t> m_stored;  // one stored row, when rows or columns are skipped
    std::unique_ptr<RowsAhead> m_ahead;  // the rows converted from the profile
    std::vector<uint8_t> m_grey;    // one grey row, to be spread into RGB
    PixelBuffer m_whole;            // the turned picture, when it cannot stream
};

}  // namespace kerfel
