#pragma once
// The text of a language key as the widgets take it.
#include <wx/string.h>

#include "i18n/language_table.h"

namespace kerfel {

// Empty when the key is absent, like every lookup.
inline wxString UiText(const char* key) { return wxString::FromUTF8(GetLanguageText(key)); }

}  // namespace kerfel
