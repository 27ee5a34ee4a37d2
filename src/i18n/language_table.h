#pragma once
// Every text the user sees is looked up by key in the loaded language file.
#include <string>

namespace kerfel {

// The text of a key (UTF-8), empty when the key is absent or nothing is loaded.
std::string GetLanguageText(const std::string& key);

}  // namespace kerfel
