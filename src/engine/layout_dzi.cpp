// Deep Zoom, as OpenSeadragon and every Deep Zoom viewer read it: "NAME.dzi"
// beside "NAME_files/LEVEL/COLUMN_ROW.jpg". Level 0 is one pixel; each
// larger level doubles up to the picture's own size (each level is the next
// larger one halved rounding up, the odd last row and column averaged with
// themselves). Tiles repeat one pixel of each neighbour by default.
#include "engine/descriptor.h"
#include "engine/layout.h"

namespace kerfel {
namespace {

std::string DziXml(const DescriptorValues& v) {
    using std::to_string;
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<Image xmlns=\"http://schemas.microsoft.com/deepzoom/2008\" TileSize=\"" +
           to_string(v.layout->tileSize) + "\" Overlap=\"" + to_string(v.layout->overlap) +
           "\" Format=\"jpg\">\n"
           "  <Size Width=\"" + to_string(v.width) + "\" Height=\"" + to_string(v.height) + "\"/>\n"
           "</Image>\n";
}

constexpr DescriptorFile kFiles[] = {{"{name}.dzi", DziXml}};

}  // namespace

extern const Layout kDziLayout;
constinit const Layout kDziLayout = {
    .name = "dzi",
    .levels = {.halving = Halving::Ceil, .smallestSide = 1},
    .tileSize = 256,
    .overlap = 1,
    .tilePath = "{name}_files/{level}/{column}_{row}.jpg",
    .files = kFiles,
    .browserViewer = true,
    .tileChoice = TileChoice::SizeAndOverlap,
};

}  // namespace kerfel
