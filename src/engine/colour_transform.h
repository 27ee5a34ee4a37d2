#pragma once
// Samples in a picture's colour profile turned into 8-bit sRGB. Prepared
// once per picture; every thread that converts rows then makes its own
// transform from it, since a Little CMS transform belongs to one thread.
//
// Most RGB profiles (Adobe RGB, Display P3, ProPhoto: a curve per channel and
// a matrix) convert through tables made with Little CMS and checked against
// it, in a fraction of its time per pixel: the colours of a whole job pass
// through here. Grey converts through a table of its 256 values, CMYK
// through a grid Little CMS samples, also checked against it. Anything else
// (an RGB profile made of lookup tables, a CMYK one the grid misses) goes
// through Little CMS itself.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/colour_profile.h"

namespace kerfel {

// Converts the samples of one thread's rows.
class ColourTransform {
public:
    virtual ~ColourTransform() = default;
    // `pixels` pixels in the profile's layout into RGB; `in` may be `out`
    // when the layout is RGB.
    virtual void Convert(const uint8_t* in, uint8_t* out, size_t pixels) = 0;
};

class ColourConversion {
public:
    // What converting from `profile` takes; nullptr when the samples are to
    // be left as they are: no profile, one that is sRGB already (their
    // pixels would come out within a level of what went in), or one that
    // cannot be used, said in `note`. Made with the rendering intent and
    // without the black point compensation that tools comparing colours
    // assume (relative colorimetric).
    static std::shared_ptr<const ColourConversion> Prepare(const ColourProfile& profile, std::string& note);
    virtual ~ColourConversion() = default;

    SampleLayout Layout() const { return m_layout; }
    // A transform for the calling thread alone; nullptr when memory ran out.
    virtual std::unique_ptr<ColourTransform> NewTransform() const = 0;

protected:
    explicit ColourConversion(SampleLayout layout) : m_layout(layout) {}

private:
    SampleLayout m_layout;
};

}  // namespace kerfel
