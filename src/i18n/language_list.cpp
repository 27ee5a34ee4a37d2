#include "i18n/language_list.h"

#include <mutex>

#include "i18n/utf16_file.h"
#include "base/utf8.h"

namespace kerfel {

namespace {
std::mutex g_listLock;
std::vector<std::string> g_list;
}  // namespace

std::vector<std::string> ParseLanguageList(std::u16string_view text) {
    std::vector<std::string> list;
    size_t pos = 0;
    for (;;) {
        size_t lf = text.find(u'\n', pos);
        if (lf == std::u16string_view::npos) break;
        size_t eq = text.find(u'=', pos);
        // An "=" beyond this line would make the name swallow the line break
        // and the file name run backwards; such a line names no language.
        if (eq != std::u16string_view::npos && eq < lf) {
            list.push_back(Utf16ToUtf8(text.substr(pos, eq - pos)));
            size_t end = lf - 1;  // the CR, whatever it is
            list.push_back(end > eq + 1 ? Utf16ToUtf8(text.substr(eq + 1, end - eq - 1)) : std::string());
        }
        pos = lf + 1;
    }
    return list;
}

std::vector<std::string> LanguageList() {
    std::lock_guard<std::mutex> lock(g_listLock);
    return g_list;
}

void SetLanguageList(std::vector<std::string> list) {
    std::lock_guard<std::mutex> lock(g_listLock);
    g_list.swap(list);
}

void LoadLanguageList(const std::string& path) { SetLanguageList(ParseLanguageList(ReadUtf16File(path))); }

std::string FindLanguageFile(const std::vector<std::string>& list, const std::string& name) {
    for (size_t i = list.size() / 2; i-- > 0;)
        if (list[2 * i] == name) return list[2 * i + 1];
    return {};
}

}  // namespace kerfel
