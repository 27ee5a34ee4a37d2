#pragma once
// An RGB profile made of a curve per channel and a matrix (Adobe RGB,
// Display P3, ProPhoto and most others) taken apart into tables, so that
// converting a pixel to sRGB costs three additions and six lookups: the
// colours of a whole job pass through here, at a fraction of what Little
// CMS takes per pixel. Little CMS makes the tables; the caller checks them
// against it before using them.
#include <lcms2.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kerfel {

struct ChannelTables;

// The tables for the profile `icc`; nullptr when Little CMS cannot make
// them or the profile's colours reach too far outside sRGB for them.
std::shared_ptr<const ChannelTables> TakeApart(cmsContext context, const std::vector<uint8_t>& icc,
                                               cmsUInt32Number intent, cmsUInt32Number flags);

// `pixels` RGB pixels into sRGB; `in` may be `out`.
void ConvertByChannels(const ChannelTables& tables, const uint8_t* in, uint8_t* out, size_t pixels);

}  // namespace kerfel
