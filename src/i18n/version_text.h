#pragma once
// The about box's version line: the language file's words, the program's number.
#include <string>

namespace kerfel {

// `text` with its last word replaced by `version` when that word is a
// version number ("Version 1.0" -> "Version 1.2"); otherwise `version`
// is appended after a space. An empty text (a language file without the
// line) stays empty, as every missing text does.
std::string VersionLine(const std::string& text, const std::string& version);

}  // namespace kerfel
