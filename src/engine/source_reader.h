#pragma once
// A source picture read a band of rows at a time as upright 8-bit sRGB,
// whatever its format. Each format has its reader; the file's first bytes
// choose it, never its name. A picture that can stream is never held whole;
// one that cannot says how much memory it needs before anything large is
// allocated, so that the memory rule can refuse it first.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/status.h"
#include "engine/colour_profile.h"

namespace kerfel {

class SourceReader {
public:
    virtual ~SourceReader() = default;

    // "JPEG", "TIFF", "BigTIFF", "PNG".
    virtual std::string Format() const = 0;
    // The colour profile the file carries, and why its colours are not
    // converted from it (one line without the file's name; empty when they
    // are, or there is none). The note is completed by Start.
    virtual const ColourProfile& Profile() const = 0;
    virtual const std::string& ColourNote() const = 0;
    // EXIF orientation 1..8 (1 when the file says nothing).
    virtual int Orientation() const = 0;
    // The picture as it is shown (sides swapped by the transposing orientations).
    virtual unsigned Width() const = 0;
    virtual unsigned Height() const = 0;
    // Bytes held at once for what cannot stream (0 when it streams), at
    // 1/`scale` of the size.
    virtual unsigned long long WholePictureBytes(int scale = 1) const = 0;
    // The largest 1/scale Start can decode at (JPEG: 8).
    virtual int MaxScale() const = 0;

    // Starts decoding at about 1/`scale` of the size, never smaller. Colours
    // are converted on `threads` threads (the caller's among them).
    virtual Status Start(int scale = 1, int threads = 1) = 0;
    // The upright size of what Start decodes.
    virtual unsigned OutputWidth() const = 0;
    virtual unsigned OutputHeight() const = 0;
    // The next `count` rows, top first, OutputWidth() * 3 bytes each.
    virtual Status ReadRows(uint8_t* const* rows, unsigned count) = 0;
    // How many rows a ReadRows call had best ask for where it can: a file in
    // tiles decodes a row of tiles straight into the rows it is given.
    virtual unsigned BandRows() const { return 16; }

    // Coded data that is cut short or corrupt fails the read where it is
    // met: the rest of the picture would come out grey or wrong. Accepted
    // (before Start), the read goes on as far as the data allows and
    // DamageNote says what was lost.
    void AcceptDamage(bool accept) { m_acceptDamage = accept; }
    // What accepted damage cost, one line without the file's name; empty
    // while the data read so far was whole.
    virtual std::string DamageNote() const { return {}; }
    // Polled while Start reads what cannot stream (every scan of a
    // progressive picture, a picture to be turned); true ends Start with
    // Cancelled. Set before Start.
    void StopWhen(std::function<bool()> stop) { m_stop = std::move(stop); }

protected:
    bool DamageAccepted() const { return m_acceptDamage; }
    bool StopRequested() const { return m_stop && m_stop(); }

private:
    bool m_acceptDamage = false;
    std::function<bool()> m_stop;
};

// Opens `path` with the reader its first bytes call for. Every error names the file.
Status OpenSource(const std::string& path, std::unique_ptr<SourceReader>& reader);

// The same for bytes the caller keeps alive, named `name` in messages.
Status OpenSourceMemory(const uint8_t* data, size_t size, const std::string& name,
                        std::unique_ptr<SourceReader>& reader);

}  // namespace kerfel
