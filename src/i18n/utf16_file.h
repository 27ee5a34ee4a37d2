#pragma once
// Both language file formats are read the same way: the whole file as
// UTF-16 little-endian code units, taken as they stand.
#include <string>

namespace kerfel {

// The file's code units: an odd last byte is dropped and the text ends at the
// first NUL unit. Nothing is converted or stripped (a byte-order mark stays
// the first character). A file that is missing or cannot be read gives an
// empty text, so lookups in it simply find nothing.
std::u16string ReadUtf16File(const std::string& path);

}  // namespace kerfel
