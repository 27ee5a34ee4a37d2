#pragma once
// User text (an image's name, a path) entering an HTML page.
#include <string>

namespace kerfel {

// Escapes the five characters that could end an element or an attribute.
std::string HtmlEscape(const std::string& text);

}  // namespace kerfel
