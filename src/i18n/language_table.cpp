#include "i18n/language_table.h"

namespace kerfel {

std::string GetLanguageText(const std::string&) { return std::string(); }

}  // namespace kerfel
