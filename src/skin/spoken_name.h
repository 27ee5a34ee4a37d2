#pragma once
// The names a screen reader says for captions drawn on the skin.
#include <string>

namespace kerfel {

// A caption as said: without its mnemonic mark ("&&" is a literal "&"),
// line breaks as spaces, runs of spaces as one, no spaces at either end.
std::string SpokenCaption(const std::string& caption);

// The name a label gives the field beside it: its spoken caption without
// the trailing colon ("Save Tiles to folder :" names "Save Tiles to folder").
std::string FieldNameFromLabel(const std::string& label);

}  // namespace kerfel
