#pragma once
// Language files are UTF-16; the rest of the tool speaks UTF-8.
#include <string>

namespace kerfel {

// Malformed input (a lone surrogate, a broken UTF-8 sequence) becomes U+FFFD
// so that a damaged file can never yield invalid UTF-8 for the widgets.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Number of characters (code points) of a UTF-8 string.
size_t CharacterCount(std::string_view utf8);

}  // namespace kerfel
