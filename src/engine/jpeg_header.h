#pragma once
// What a JPEG says about itself before any pixel is decoded: the decoder
// trusts the frame header, so its size must be checked first.
#include <cstdint>
#include <string>

#include "base/status.h"

namespace kerfel {

struct JpegHeader {
    unsigned width = 0;
    unsigned height = 0;
    int components = 0;       // 1 grey, 3 colour, 4 CMYK/YCCK
    bool progressive = false;
    bool adobe = false;       // APP14 "Adobe" marker present (CMYK stored inverted)
    int orientation = 1;      // EXIF orientation 1..8, 1 when absent or invalid
    unsigned long long fileSize = 0;
    // Where the first scan's header lies; 0 when the markers after the
    // frame could not be followed that far.
    unsigned long long scanStart = 0;
};

// Reads markers up to the first frame header, however far into the file it
// lies, stepping over segments rather than holding them. Fails on anything
// that is not a regular file or not a JPEG, a truncated header, or a
// zero-sized frame.
Status ReadJpegHeader(const std::string& path, JpegHeader& out);
Status ParseJpegHeader(const uint8_t* data, size_t size, JpegHeader& out);

// Whether width * height * channels bytes (a whole decoded picture) stay
// below 4 GiB. Only pictures decoded whole need asking; the job streams.
bool DecodedSizeFits(unsigned width, unsigned height, int channels);

// Every 8x8 block of the full-resolution component costs at least one bit,
// so coded data shorter than this cannot hold the picture its header claims
// (a damaged or doctored header, which the decoder would fill with grey).
unsigned long long MinimumCodedBytes(unsigned width, unsigned height);

// The bytes from the first scan to the end of the file: what can hold the
// coded picture (segments before the scan, however long, cannot).
unsigned long long CodedBytes(const JpegHeader& header);

}  // namespace kerfel
