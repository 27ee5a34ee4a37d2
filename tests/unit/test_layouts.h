#pragma once
// Layouts the tool does not offer yet, described as their own files will
// describe them: the tests show that the level table, the strips, the paths
// and the generator carry what such layouts need.
#include "engine/layout.h"

namespace testlayouts {

using kerfel::Halving;
using kerfel::Layout;

// Deep Zoom's shape: halving up, down to 1 x 1; the job's name in the paths.
inline constexpr Layout kHalvingUp = {.name = "halving-up", .levels = {Halving::Ceil, 1}, .tileSize = 254,
                                      .overlap = 0, .tilePath = "{name}_files/{level}/{column}_{row}.jpg",
                                      .files = {}, .browserViewer = false};
// IIIF's static tiles: each names its region of the full picture; levels
// halve up until one tile holds the smallest.
inline constexpr Layout kRegions = {.name = "regions", .levels = {Halving::Ceil, 100}, .tileSize = 100,
                                    .overlap = 0, .tilePath = "{x},{y},{w},{h}/{tw},{th}/0/default.jpg",
                                    .files = {}, .browserViewer = false};
// An odd tile size: a pair of rows to halve may straddle two strips.
inline constexpr Layout kOddTiles = {.name = "odd-tiles", .levels = {Halving::Floor, 195}, .tileSize = 255,
                                     .overlap = 0, .tilePath = "Images/{level}-{column}-{row}.jpg",
                                     .files = {}, .browserViewer = false};

}  // namespace testlayouts
