#pragma once
// Each zoom level is made from the next larger one by averaging every 2 x 2
// block. Dropping every other pixel instead (what a plain scaler
// does when halving) aliases, and the error grows level after level.
#include "engine/pixel_buffer.h"
#include "engine/pixel_view.h"

namespace kerfel {

// The picture halved to `width` x `height` (normally the source's sides
// halved with rounding down). A block that would reach past the source's
// last row or column reuses that row or column.
PixelBuffer HalveLevel(const PixelView& src, unsigned width, unsigned height);

}  // namespace kerfel
