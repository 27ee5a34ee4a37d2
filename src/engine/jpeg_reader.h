#pragma once
// Decodes a JPEG a band of rows at a time as upright 8-bit sRGB: grey is
// spread to three channels, CMYK (Adobe inverted or plain) is turned into
// RGB, colours are converted from the embedded colour profile, and the EXIF
// orientation is put right. A picture that can stream is
// never held whole; one that cannot (progressive or multi-scan coding keeps
// every coefficient, a vertical turn or flip needs the last row first) says
// how much memory it needs before anything large is allocated.
// The end of the picture is found by decoding it: bytes after it are never
// read, and data that ends early or is corrupt is met where it lies (see
// SourceReader::AcceptDamage). A picture of more scans than a sane encoder
// writes is refused.
#include <cstdint>
#include <memory>
#include <string>

#include "base/status.h"
#include "engine/colour_profile.h"
#include "engine/jpeg_header.h"
#include "engine/pixel_buffer.h"
#include "engine/source_reader.h"

namespace kerfel {

// Larger sides than this JPEG cannot hold.
constexpr unsigned kMaxJpegSide = 65500;

class JpegReader : public SourceReader {
public:
    JpegReader();
    ~JpegReader() override;
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;

    // Reads and checks the header of a file, or of bytes the caller keeps
    // alive (named `name` in messages). Every error names the file.
    Status Open(const std::string& path);
    Status OpenMemory(const uint8_t* data, size_t size, const std::string& name);

    const JpegHeader& Header() const { return m_header; }
    std::string Format() const override { return "JPEG"; }
    int Orientation() const override { return m_header.orientation; }
    // The DCT scales by 1/2, 1/4 and 1/8 only.
    int MaxScale() const override { return 8; }
    // The colour profile the file carries (APP2 segments), read by Open.
    const ColourProfile& Profile() const override { return m_profile; }
    // Why the colours are not converted from the profile the file carries,
    // one line without the file's name; empty when they are, or there is none.
    // Known after Open, completed by Start.
    const std::string& ColourNote() const override { return m_colourNote; }
    // The picture as it is shown (sides swapped by the four transposing orientations).
    unsigned Width() const override;
    unsigned Height() const override;
    // Bytes held at once for what cannot stream (0 when it streams):
    // the coefficient buffer of a progressive or multi-scan picture, and a
    // whole picture (twice, while it is turned) for a vertical turn or flip.
    // At 1/`scale` of the size only the turned picture shrinks.
    unsigned long long WholePictureBytes(int scale = 1) const override;

    // Starts decoding, at 1/`scaleDenominator` of the size (1, 2, 4 or 8).
    // Colours are converted on `threads` threads (the caller's among them).
    Status Start(int scaleDenominator = 1, int threads = 1) override;
    // The upright size of what Start decodes.
    unsigned OutputWidth() const override { return m_outWidth; }
    unsigned OutputHeight() const override { return m_outHeight; }
    // The next `count` rows, top first, OutputWidth() * 3 bytes each, into
    // rows[0..count).
    Status ReadRows(uint8_t* const* rows, unsigned count) override;
    std::string DamageNote() const override;

private:
    struct Codec;
    Status Named(Status s) const;
    // Why the library gave up, one line without the file's name.
    Status Failure() const;
    std::string DamageText() const;
    bool ReadProfile();
    void PrepareColours(int threads);
    Status ReadStoredRows(uint8_t* const* rows, unsigned count);
    Status DecodeRows(uint8_t* const* rows, unsigned count);
    Status FinishScan();
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

}  // namespace kerfel
