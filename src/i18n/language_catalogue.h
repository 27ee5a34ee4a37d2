#pragma once
// Every key the tool looks up, with what its callers pass when the text is
// used as a format. The shipped language files are checked against it.
#include <span>

namespace kerfel {

struct CatalogueEntry {
    const char* m_szKey;
    // nullptr: shown as it stands. Otherwise a format (see FormatText) and
    // the kinds of its arguments in order: "s" string, "d" integer; "" for a
    // format that takes none (it may still hold "%%").
    const char* m_szArguments;
};

std::span<const CatalogueEntry> LanguageCatalogue();

}  // namespace kerfel
