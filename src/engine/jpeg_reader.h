#pragma once
// Decodes a JPEG a band of rows at a time as upright 8-bit sRGB: grey is
// spread to three channels, CMYK (Adobe inverted or plain) is turned into
// RGB, colours are converted from the embedded colour profile, and the EXIF
// orientation is put right. A picture that can stream is
// never held whole; one that cannot (progressive or multi-scan coding keeps
// every coefficient, a vertical turn or flip needs the last row first) says
// how much memory it needs before anything large is allocated.
#include <cstdint>
#include <memory>
#include <string>

#include "base/status.h"
#include "engine/colour_profile.h"
#include "engine/jpeg_header.h"
#include "engine/pixel_buffer.h"

namespace kerfel {

// Larger sides than this JPEG cannot hold.
constexpr unsigned kMaxJpegSide = 65500;

class JpegReader {
public:
    JpegReader();
    ~JpegReader();
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;

    // Reads and checks the header of a file, or of bytes the caller keeps
    // alive (named `name` in messages). Every error names the file.
    Status Open(const std::string& path);
    Status OpenMemory(const uint8_t* data, size_t size, const std::string& name);

    const JpegHeader& Header() const { return m_header; }
    // The colour profile the file carries (APP2 segments), read by Open.
    const ColourProfile& Profile() const { return m_profile; }
    // Why the colours are not converted from the profile the file carries,
    // one line without the file's name; empty when they are, or there is none.
    // Known after Open, completed by Start.
    const std::string& ColourNote() const { return m_colourNote; }
    // The picture as it is shown (sides swapped by the four transposing orientations).
    unsigned Width() const;
    unsigned Height() const;
    // Bytes held at once for what cannot stream (0 when it streams):
    // the coefficient buffer of a progressive or multi-scan picture, and a
    // whole picture (twice, while it is turned) for a vertical turn or flip.
    // At 1/`scale` of the size only the turned picture shrinks.
    unsigned long long WholePictureBytes(int scale = 1) const;

    // Starts decoding, at 1/`scaleDenominator` of the size (1, 2, 4 or 8).
    // Colours are converted on `threads` threads (the caller's among them)
    // when ReadRows is asked for more than one row at a time.
    Status Start(int scaleDenominator = 1, int threads = 1);
    // The upright size of what Start decodes.
    unsigned OutputWidth() const { return m_outWidth; }
    unsigned OutputHeight() const { return m_outHeight; }
    // The next `count` rows, top first, OutputWidth() * 3 bytes each, into
    // rows[0..count).
    Status ReadRows(uint8_t* const* rows, unsigned count);

private:
    struct Codec;
    Status Named(Status s) const;
    bool ReadProfile();
    void PrepareColours(int threads);
    Status ReadStoredRows(uint8_t* const* rows, unsigned count);
    Status LoadWholePicture();

    std::unique_ptr<Codec> m_codec;
    std::string m_name;
    JpegHeader m_header;
    ColourProfile m_profile;
    std::string m_colourNote;
    unsigned long long m_coefficientBytes = 0;
    unsigned m_outWidth = 0, m_outHeight = 0;
    unsigned m_rowsGiven = 0;
    PixelBuffer m_whole;  // the turned picture, when it cannot stream
};

// Whether an orientation needs the whole picture before its first row:
// every one that turns or flips it vertically.
bool OrientationNeedsWholePicture(int orientation);

}  // namespace kerfel
