#pragma once
// The additional languages named in "LanguageFiles/lan.txt". English is not
// listed there: the tool always offers it itself, as "English" / "eng.txt".
//
// The list is flat, as the Help menu numbers its items by it: even positions
// (0, 2, 4, ...) hold display names, the following odd position that
// language's file name (no folder), in the order of the file.
#include <string>
#include <string_view>
#include <vector>

namespace kerfel {

// The name under which the built-in language is offered, in every language.
inline constexpr const char* kEnglishName = "English";
inline constexpr const char* kEnglishFile = "eng.txt";

// Parses the text of "lan.txt": one "display name=file name" line each,
// ended by CR LF. The unit before each LF is dropped; a last line without a
// line break is ignored; a byte-order mark stays part of the first display
// name. A line without "=" names no language and is passed over.
std::vector<std::string> ParseLanguageList(std::u16string_view text);

// The process-wide list, filled at start-up.
std::vector<std::string> LanguageList();
void SetLanguageList(std::vector<std::string> list);
// Reads and parses a list file into the process-wide list; a missing file
// gives an empty list (only English is offered then).
void LoadLanguageList(const std::string& path);

// The file name of the last language whose display name is exactly `name`
// (of two equal names the later wins), or empty when none matches.
std::string FindLanguageFile(const std::vector<std::string>& list, const std::string& name);

}  // namespace kerfel
