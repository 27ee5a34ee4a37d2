#pragma once
// Text as a JSON string.
#include <string>

namespace kerfel {

// The text quoted, with quotes, backslashes, control characters and "<"
// escaped: "<" too, since a page may hold the JSON in a script element, which
// a "</script>" in the text would otherwise end.
std::string JsonText(const std::string& text);

}  // namespace kerfel
