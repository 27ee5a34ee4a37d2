#pragma once
// Every text the user sees is looked up by key in the loaded language file.
//
// The loaded file is kept whole, as UTF-16 text, in one process-wide table.
// Lookups may run on any thread (the generation worker looks up status
// texts) while the user-interface thread replaces the table from the Help
// menu: each lookup works on an immutable snapshot of the table, and a
// replacement swaps in a new snapshot, so the two never overlap.
#include <string>
#include <string_view>

namespace kerfel {

// The text of a key (UTF-8), empty when the key is absent or nothing is loaded.
std::string GetLanguageText(const std::string& key);

// The lookup on one table text: the first occurrence of `key` anywhere in the
// text (case-sensitive), then the first "=" from there, then the first LF
// after it; the text runs from after the "=" up to, not including, the unit
// just before the LF (taken to be the CR). Empty when any step finds nothing.
// So a key that is the start of a longer one finds the longer key's entry
// when that stands earlier, and a file with LF-only line ends loses the last
// character of every text.
std::u16string FindLanguageText(std::u16string_view table, std::u16string_view key);

// Replaces the whole table (an empty text empties it).
void SetLanguageTable(std::u16string text);
// Reads a language file (UTF-16LE) and replaces the whole table with it; a
// missing or unreadable file leaves an empty table.
void LoadLanguageTable(const std::string& path);

}  // namespace kerfel
