// A layout with the tiles a job chose: the options that may change them, and
// the copies that carry them, each made once.
#include <deque>
#include <mutex>
#include <string_view>

#include "engine/layout.h"

namespace kerfel {

std::string TilesRefusal(const Layout& layout, unsigned tileSize, unsigned overlap) {
    using std::to_string;
    if (tileSize < kMinTileSize || tileSize > kMaxTileSize)
        return "--tile-size " + to_string(tileSize) + " is outside " + to_string(kMinTileSize) + " to " +
               to_string(kMaxTileSize);
    if (overlap >= tileSize)
        return "--overlap " + to_string(overlap) + " is not below the tile size " + to_string(tileSize);
    const std::string name = layout.name;
    if (layout.tileChoice == TileChoice::Fixed && tileSize != layout.tileSize)
        return "the " + name + " layout has tiles of " + to_string(layout.tileSize) + " pixels only, not --tile-size " +
               to_string(tileSize);
    if (layout.tileChoice != TileChoice::SizeAndOverlap && overlap != layout.overlap)
        return "the " + name + " layout takes no --overlap " + to_string(overlap) + " (its tiles overlap by " +
               to_string(layout.overlap) + ")";
    return {};
}

const Layout& WithTiles(const Layout& layout, unsigned tileSize, unsigned overlap) {
    if (layout.tileSize == tileSize && layout.overlap == overlap) return layout;
    // A deque never moves what it holds: the tables and jobs keep pointers.
    static std::mutex lock;
    static std::deque<Layout> made;
    std::lock_guard<std::mutex> hold(lock);
    for (const Layout& l : made)
        if (std::string_view(l.name) == layout.name && l.tileSize == tileSize && l.overlap == overlap) return l;
    Layout copy = layout;
    copy.tileSize = tileSize;
    copy.overlap = overlap;
    return made.emplace_back(copy);
}

}  // namespace kerfel
