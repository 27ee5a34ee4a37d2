#pragma once
// A layout: how a tile pyramid lies on disk. Each layout is one description
// in a file of its own (layout_kerfel.cpp) and one name in layouts.cpp; the
// level table, the strips, the encoders, the generator, the publisher, the
// command line, the dialog and the browser viewer take from it whatever
// differs between layouts, and know none of them by name.
#include <span>
#include <string>
#include <vector>

namespace kerfel {

struct DescriptorValues;

// How a level is made from the next larger one: an odd side's last pixel
// is dropped (Floor) or averaged with itself (Ceil).
enum class Halving { Floor, Ceil };

struct LevelRule {
    Halving halving = Halving::Floor;
    // Levels are added until the smallest one's larger side is at most this,
    // or, when it is 0, until the smallest one fits in one tile.
    unsigned smallestSide = 0;
};

// One tile's place, from which its paths are made.
struct TilePlace {
    int level = 0, column = 0, row = 0;
    unsigned long long x = 0, y = 0, w = 0, h = 0;  // its region of the full-size picture
    unsigned tw = 0, th = 0;                        // its own size
    unsigned width = 0, height = 0;                 // the full-size picture's
    // The largest whole picture the layout writes (see Layout::wholeLevel),
    // and so the largest size the job offers of any region; 0 x 0: none.
    unsigned largestWidth = 0, largestHeight = 0;
};

// A file the layout writes beside its tiles, made from the job's values.
struct DescriptorFile {
    const char* name;  // below the job folder; "{name}" is the job's name
    std::string (*text)(const DescriptorValues& values);
};

// What a job may change of a layout's tiles (`--tile-size`, `--overlap`).
enum class TileChoice { Fixed, Size, SizeAndOverlap };

struct Layout {
    const char* name;  // what `--layout` calls it
    LevelRule levels;
    unsigned tileSize;  // pixels of a tile's side; the last column and row are what is left
    // Pixels a tile repeats of each neighbour, on inner edges only; below
    // the tile size.
    unsigned overlap;
    // Each tile's path below the job folder, filled alike by the engine and
    // the browser viewer: {level} {column} {row}; {x} {y} {w} {h}, the tile's
    // region of the full-size picture; {tw} {th}, the tile's own size;
    // {name}, the job's name. The folders the tiles need follow from it.
    const char* tilePath;
    std::span<const DescriptorFile> files;
    bool browserViewer;  // whether index.html and its assets go beside them
    // Further names of a tile that viewers ask for by another spelling,
    // below the job folder; each is made a hard link to the tile once it is
    // whole. Null: none.
    std::vector<std::string> (*otherPaths)(const TilePlace& tile) = nullptr;
    // Every form those further names take, as patterns like tilePath's, by
    // which a later job finds an earlier job's tiles to remove.
    std::span<const char* const> otherPathPatterns = {};
    // The level that is also written whole, as one picture under the paths
    // of a tile covering the whole picture at that level's size, given every
    // level's size (the smallest first) and the tile size; -1 or null: none.
    int (*wholeLevel)(std::span<const unsigned> widths, std::span<const unsigned> heights, unsigned tileSize) = nullptr;
    TileChoice tileChoice = TileChoice::Size;
    // Whether its files name the address the job is published at (--id).
    bool namesItsAddress = false;
};

// Every layout, the native one first.
const std::vector<const Layout*>& Layouts();
const Layout& NativeLayout();
// The layout of that name, or nullptr.
const Layout* FindLayout(const std::string& name);

// The smallest and largest tile side a job may choose.
constexpr unsigned kMinTileSize = 16, kMaxTileSize = 4096;
// Why `layout` cannot take tiles of that side and overlap, in a few words
// naming the option ("--overlap 256 is not below the tile size 256"); empty
// when it can.
std::string TilesRefusal(const Layout& layout, unsigned tileSize, unsigned overlap);
// The same layout with tiles of that side and overlap (which TilesRefusal
// accepts): the layout itself when they are its own, otherwise a copy made
// once and kept for the life of the program, under the same name.
const Layout& WithTiles(const Layout& layout, unsigned tileSize, unsigned overlap);

}  // namespace kerfel
