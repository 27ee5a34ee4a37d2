#pragma once
// The colour profile a picture carries, as its reader found it. Tiles are
// untagged, and an untagged picture is shown as sRGB: a picture in another
// space (Adobe RGB, Display P3, a printer's CMYK) is converted to sRGB on
// its way to the tiles (see colour_transform.h). A picture without a profile
// is taken as sRGB already; one whose profile cannot be used is taken as it
// is stored, and says why in a note that reaches the user.
#include <cstdint>
#include <string>
#include <vector>

namespace kerfel {

// How a reader hands over the samples of a row: 8 bits each, interleaved.
enum class SampleLayout {
    Rgb,
    Grey,
    Cmyk,          // 0 is no ink
    InvertedCmyk,  // as Adobe stores it: 255 is no ink
};

// Bytes a pixel takes in the layout.
int SampleBytes(SampleLayout layout);

class ColourProfile {
public:
    ColourProfile() = default;  // no profile

    // Reads the profile's header and name for samples stored as `layout`.
    // Empty bytes: no profile. A grey picture with an RGB profile is to be
    // read as RGB (the grey spread to three channels): Layout() says so.
    static ColourProfile Read(std::vector<uint8_t> icc, SampleLayout layout);
    // The file announced a profile that could not be put together.
    static ColourProfile Damaged(SampleLayout layout);
    // A profile left unused for the reason `why`.
    static ColourProfile Unused(SampleLayout layout, const std::string& why);

    // The profile's own description, such as "Display P3"; empty without one.
    const std::string& Name() const { return m_name; }
    // Why the profile is not used, one line without the file's name; empty
    // when it is used or there is none.
    const std::string& Note() const { return m_note; }
    // Whether there is a profile to convert from.
    bool Usable() const { return !m_icc.empty() && m_note.empty(); }
    const std::vector<uint8_t>& Bytes() const { return m_icc; }
    SampleLayout Layout() const { return m_layout; }

private:
    std::vector<uint8_t> m_icc;
    SampleLayout m_layout = SampleLayout::Rgb;
    std::string m_name;
    std::string m_note;
};

// The end of a note when a profile is not used: what the colours are taken
// as instead.
std::string ColoursTakenAs(SampleLayout layout);

}  // namespace kerfel
