#pragma once
// What the two IIIF layouts (Image API 3.0 and 2.1, level 0: static tiles)
// share: the whole picture they offer, the further names of a tile that
// viewers ask for, and the files "info.json" and "manifest.json".
//
// Level 0 needs the whole picture at its largest size ("full/max"). Written
// at full size it would be one JPEG as large as the source (none at all
// beyond 65535 pixels a side) and a second encoding of the largest level;
// instead the service declares maxWidth and maxHeight: the size of the
// smallest level at least a tile wide and high (or as wide and high as the
// picture), which is written whole as well. Every tile fits within it, so
// the declared limits hold for tiles too.
#include <span>
#include <string>
#include <vector>

#include "engine/descriptor.h"
#include "engine/layout.h"

namespace kerfel {

enum class IiifVersion { V2, V3 };

// The level written whole (see above), from every level's size, the
// smallest first; -1 when there is none.
int IiifWholeLevel(std::span<const unsigned> widths, std::span<const unsigned> heights, unsigned tileSize);

// A tile's names beside "x,y,w,h/SIZE/0/default.jpg": the canonical ones
// ("full" for a region that is the whole picture; "max" for the largest size
// of a region, "full" too in 2.1 for a region not scaled) and what
// widespread viewers ask for ("full/w,h" or "full/w," of a level one tile
// holds).
std::vector<std::string> IiifOtherNames(const TilePlace& tile, IiifVersion version);

std::string IiifInfoJson(const DescriptorValues& values, IiifVersion version);
// A Presentation 3 manifest: one canvas painted with the image service,
// a thumbnail from its sizes.
std::string IiifManifestJson(const DescriptorValues& values, IiifVersion version);

// The base URI info.json gives when the job names none.
std::string IiifPlaceholderId(const std::string& jobName);

}  // namespace kerfel
