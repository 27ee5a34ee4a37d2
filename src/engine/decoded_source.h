#pragma once
// The source picture decoded once for the whole job. In the common case (an
// upright colour JPEG) the pixels stay in the image library's own buffer and
// are read from there: copying them out would hold the largest picture of
// the job twice at once. Other pictures (turned by EXIF, grey, CMYK) go
// through DecodeSource, which puts them right in a buffer of their own.
#include <string>

#include "engine/pixel_buffer.h"
#include "engine/pixel_view.h"
#include "engine/source_image.h"
#include "base/status.h"

namespace kerfel {

class DecodedSource {
public:
    DecodedSource() = default;
    ~DecodedSource() { Release(); }
    DecodedSource(const DecodedSource&) = delete;
    DecodedSource& operator=(const DecodedSource&) = delete;

    // Errors name the file.
    Status Load(const std::string& path);
    PixelView View() const { return m_view; }
    // Frees the pixels; the view is empty afterwards.
    void Release();

private:
    PixelView m_view;
    PixelBuffer m_owned;     // when decoded by DecodeSource
    unsigned m_library = 0;  // the library's image name, when its buffer is used
};

}  // namespace kerfel
