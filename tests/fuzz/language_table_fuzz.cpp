// A translator's language file, read as the tool reads it and searched with
// the tool's own keys and with keys cut from the file itself.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "i18n/language_table.h"
#include "i18n/utf16_file.h"
#include "base/utf8.h"

namespace {

// Keys the tool looks up, so the common shapes are always tried.
const char16_t* const kToolKeys[] = {
    u"KERFELDIALOG.GENERATETAILS.STATICTEXT_GMFLEVEL",
    u"KERFELDIALOG.ONBBROWSEFILE.MESSAGEBOX_TEXT",
    u"KERFELDIALOG.CAPTION",
    u"",
    u"=",
};

// The text before each "=" on the first lines, and one slice chosen by the
// first unit, so keys that are in the file (and parts of them) are tried.
std::vector<std::u16string> KeysFrom(std::u16string_view text) {
    std::vector<std::u16string> keys;
    size_t pos = 0;
    while (pos < text.size() && keys.size() < 12) {
        size_t lf = text.find(u'\n', pos);
        std::u16string_view line = text.substr(pos, lf == std::u16string_view::npos ? text.npos : lf - pos);
        size_t eq = line.find(u'=');
        if (eq != std::u16string_view::npos) keys.emplace_back(line.substr(0, eq));
        if (lf == std::u16string_view::npos) break;
        pos = lf + 1;
    }
    if (!text.empty()) {
        size_t at = text[0] % text.size();
        keys.emplace_back(text.substr(at, (text[0] >> 8) % 40));
    }
    return keys;
}

// A lone surrogate in either direction becomes U+FFFD and a second pass
// changes nothing more.
void CheckConversions(std::u16string_view text) {
    std::string utf8 = kerfel::Utf16ToUtf8(text);
    FUZZ_CHECK(fuzz::IsUtf8(utf8));
    std::u16string back = kerfel::Utf8ToUtf16(utf8);
    FUZZ_CHECK(fuzz::IsWellFormedUtf16(back));
    FUZZ_CHECK(kerfel::Utf16ToUtf8(back) == utf8);
    if (fuzz::IsWellFormedUtf16(text)) FUZZ_CHECK(back == text);
}

void CheckLookup(std::u16string_view table, const std::u16string& key) {
    std::u16string found = kerfel::FindLanguageText(table, key);
    FUZZ_CHECK(found.size() <= table.size());
    FUZZ_CHECK(found.find(u'\n') == std::u16string::npos);
    std::string shown = kerfel::GetLanguageText(kerfel::Utf16ToUtf8(key));
    // Whatever the file holds, the widgets get valid UTF-8.
    FUZZ_CHECK(fuzz::IsUtf8(shown));
    // A key that survives the trip through UTF-8 finds the same text through
    // the process-wide table as through the direct search.
    if (fuzz::IsWellFormedUtf16(key)) FUZZ_CHECK(shown == kerfel::Utf16ToUtf8(found));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::ScratchFolder folder("language");
    const std::string path = folder.Path() + "/fuzzed.txt";
    fuzz::WriteBytes(path, data, size);

    kerfel::LoadLanguageTable(path);
    std::u16string table = kerfel::ReadUtf16File(path);
    // The file's units as they stand, up to the first NUL unit.
    std::u16string units = fuzz::Utf16Units(data, size);
    FUZZ_CHECK(table == units.substr(0, units.find(u'\0')));

    CheckConversions(table);
    for (const char16_t* key : kToolKeys) CheckLookup(table, key);
    for (const std::u16string& key : KeysFrom(table)) CheckLookup(table, key);
    return 0;
}
