// The native layout: the tiles in "Images", named level-column-row, beside
// "ImageKerfel.xml" and the browser viewer. Levels halve rounding down to a
// smallest level whose larger side lies between 98 and 195 pixels.
#include "engine/descriptor.h"
#include "engine/layout.h"

namespace kerfel {
namespace {

constexpr DescriptorFile kFiles[] = {{"ImageKerfel.xml", DescriptorXml}};

}  // namespace

extern const Layout kKerfelLayout;
constinit const Layout kKerfelLayout = {
    .name = "kerfel",
    .levels = {.halving = Halving::Floor, .smallestSide = 195},
    .tileSize = 256,
    .overlap = 0,
    .tilePath = "Images/{level}-{column}-{row}.jpg",
    .files = kFiles,
    .browserViewer = true,
    .tileChoice = TileChoice::Fixed,
};

}  // namespace kerfel
