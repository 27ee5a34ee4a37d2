#pragma once
// The tool speaks UTF-8; language files are UTF-16. One decoder serves the
// checks and the conversions, so they agree on what is malformed.
#include <string>
#include <string_view>

namespace kerfel {

// Malformed input (a lone surrogate, a broken UTF-8 sequence) becomes U+FFFD
// so that a damaged file can never yield invalid UTF-8 for the widgets.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Number of characters (code points) of a UTF-8 string.
size_t CharacterCount(std::string_view utf8);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Whether the bytes are well-formed UTF-8 and not plain ASCII.
bool IsNonAsciiUtf8(std::string_view text);

}  // namespace kerfel
