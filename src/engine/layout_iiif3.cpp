// IIIF Image API 3.0 at level 0: static tiles at REGION/SIZE/0/default.jpg,
// each region in full-size pixels, beside info.json and a Presentation 3
// manifest.json. Levels halve rounding up (the API's sizes are
// ceil(region / scale factor)) until one tile holds the whole picture.
#include "engine/iiif_service.h"
#include "engine/layout.h"

namespace kerfel {
namespace {

std::string Info(const DescriptorValues& values) { return IiifInfoJson(values, IiifVersion::V3); }
std::string Manifest(const DescriptorValues& values) { return IiifManifestJson(values, IiifVersion::V3); }
std::vector<std::string> OtherNames(const TilePlace& tile) { return IiifOtherNames(tile, IiifVersion::V3); }

constexpr const char* kOtherPathPatterns[] = {
    "full/{tw},{th}/0/default.jpg",
    "full/max/0/default.jpg",
    "{x},{y},{w},{h}/max/0/default.jpg",
};

constexpr DescriptorFile kFiles[] = {{"info.json", Info}, {"manifest.json", Manifest}};

}  // namespace

extern const Layout kIiif3Layout;
constinit const Layout kIiif3Layout = {
    .name = "iiif3",
    .levels = {.halving = Halving::Ceil},  // down to one tile
    .tileSize = 256,
    .overlap = 0,
    .tilePath = "{x},{y},{w},{h}/{tw},{th}/0/default.jpg",
    .files = kFiles,
    .browserViewer = true,
    .otherPaths = OtherNames,
    .otherPathPatterns = kOtherPathPatterns,
    .wholeLevel = IiifWholeLevel,
    .namesItsAddress = true,
};

}  // namespace kerfel
