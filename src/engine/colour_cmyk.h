#pragma once
// A CMYK profile sampled by Little CMS on a grid of 17 steps a channel and
// interpolated between its points (tetrahedra in cyan, magenta and yellow,
// a straight line in black), as Little CMS does itself for 8-bit CMYK but
// without its cost per pixel, which made a CMYK job several times as long
// as an RGB one. The caller checks the grid against Little CMS before using
// it.
#include <lcms2.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kerfel {

struct CmykGrid;

// The grid for the profile `icc`, read from samples stored as `format`
// (TYPE_CMYK_8 or its inverted kind); nullptr when Little CMS cannot make it.
std::shared_ptr<const CmykGrid> SampleCmyk(cmsContext context, const std::vector<uint8_t>& icc, cmsUInt32Number format,
                                           cmsUInt32Number intent);

// `pixels` CMYK pixels into sRGB.
void ConvertByGrid(const CmykGrid& grid, const uint8_t* in, uint8_t* out, size_t pixels);

}  // namespace kerfel
