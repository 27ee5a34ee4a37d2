#pragma once
// Decoding the chosen picture (JPEG, TIFF or PNG): header checks first,
// then the decoder, with colour and orientation put right, so every caller
// sees the upright sRGB picture a photo viewer shows.
#include <string>

#include "engine/jpeg_header.h"
#include "engine/pixel_buffer.h"
#include "base/status.h"

namespace kerfel {

struct SourceInfo {
    unsigned width = 0;   // upright size
    unsigned height = 0;
    std::string format;         // "JPEG", "TIFF", "BigTIFF", "PNG"
    int orientation = 1;        // EXIF orientation as stored
    JpegHeader header;          // JPEG sources only
    std::string colourProfile;  // the embedded profile's name; empty without one
    std::string colourNote;     // why its colours are not converted from it; empty when they are
};

// The whole picture. Errors name the file.
Status DecodeSource(const std::string& path, PixelBuffer& out, SourceInfo* info = nullptr);

// A picture whose larger side is `box` pixels (the source's aspect kept),
// decoded at a fraction of its size (or read from a reduced copy the file
// holds) and shrunk band by band, so that only what cannot stream (see
// SourceReader) grows with the picture; that part is held to `memoryLimit`
// (0: half of the machine's memory).
Status DecodeThumbnail(const std::string& path, unsigned box, PixelBuffer& thumb, SourceInfo& info,
                       unsigned long long memoryLimit = 0);

// Header checks only: size, type, sides the format can hold, a file long
// enough for them. Reads no pixels.
Status InspectSource(const std::string& path, SourceInfo& info);

}  // namespace kerfel
