// The list of languages ("lan.txt"), every UTF-16 unit of the input kept.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "i18n/language_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = fuzz::Utf16Units(data, size);
    const std::vector<std::string> list = kerfel::ParseLanguageList(text);

    // Pairs of display name and file name, at most one per line break.
    FUZZ_CHECK(list.size() % 2 == 0);
    size_t lineBreaks = 0;
    for (char16_t c : text) lineBreaks += c == u'\n';
    FUZZ_CHECK(list.size() / 2 <= lineBreaks);
    for (size_t i = 0; i < list.size(); ++i) {
        FUZZ_CHECK(fuzz::IsUtf8(list[i]));
        FUZZ_CHECK(list[i].find('\n') == std::string::npos);
        if (i % 2 == 0) FUZZ_CHECK(list[i].find('=') == std::string::npos);
    }
    // Every listed name finds a file that is listed under that name.
    for (size_t i = 0; i < list.size(); i += 2) {
        std::string file = kerfel::FindLanguageFile(list, list[i]);
        bool listed = false;
        for (size_t k = 0; k < list.size(); k += 2) listed |= list[k] == list[i] && list[k + 1] == file;
        FUZZ_CHECK(listed);
    }
    return 0;
}
