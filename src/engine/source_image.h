#pragma once
// Decoding the chosen JPEG: header checks first, then the image library,
// then colour and orientation put right, so every caller sees the upright
// RGB picture a photo viewer shows.
#include <string>

#include "engine/jpeg_header.h"
#include "engine/pixel_buffer.h"
#include "base/status.h"

namespace kerfel {

struct SourceInfo {
    unsigned width = 0;   // upright size
    unsigned height = 0;
    JpegHeader header;
};

// The whole picture. Errors name the file.
Status DecodeSource(const std::string& path, PixelBuffer& out, SourceInfo* info = nullptr);

// A picture whose larger side is `box` pixels (the source's aspect kept), made
// from one decode without keeping the full picture.
Status DecodeThumbnail(const std::string& path, unsigned box, PixelBuffer& thumb, SourceInfo& info);

// Header checks only: size, type, whether the library could hold it.
Status InspectSource(const std::string& path, SourceInfo& info);

}  // namespace kerfel
