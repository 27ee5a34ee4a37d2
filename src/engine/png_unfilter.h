#pragma once
// Undoes a PNG row's filter. With 16-bit samples and adaptive filtering
// this is as much work as inflating, so the two filters that chain pixel
// to pixel (average and Paeth) work on a whole pixel at once.
#include <cstddef>
#include <cstdint>

namespace kerfel {

// `row`: `bytes` filtered bytes, undone in place; `above`: the row above,
// unfiltered (zeros above the first); `step`: bytes a pixel (1 to 8).
// False for a filter the format does not have.
bool UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* above, size_t bytes, unsigned step);

}  // namespace kerfel
