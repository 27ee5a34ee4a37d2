#include "i18n/language_table.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "i18n/utf16_file.h"
#include "base/utf8.h"

namespace kerfel {

namespace {

// One loaded file and the texts already found in it. A loaded table never
// changes, so each key is searched for once per table: a job looks up its
// status text for every tile, and a scan of a needlessly large file must not
// be paid again for each of thousands of tiles.
struct LoadedTable {
    explicit LoadedTable(std::u16string t) : text(std::move(t)) {}
    const std::u16string text;
    mutable std::mutex foundLock;
    mutable std::unordered_map<std::string, std::string> found;
};

// The keys are the tool's own, a few dozen; the bound only keeps a caller
// that made keys up from growing the table without end.
constexpr std::size_t kMaxRemembered = 4096;

using Table = std::shared_ptr<const LoadedTable>;

// The lock only guards taking or swapping the pointer; the scan itself runs
// on the snapshot outside it, so a slow lookup never holds up a replacement.
std::mutex g_tableLock;
Table g_table = std::make_shared<const LoadedTable>(std::u16string());

Table Snapshot() {
    std::lock_guard<std::mutex> lock(g_tableLock);
    return g_table;
}

}  // namespace

std::u16string FindLanguageText(std::u16string_view table, std::u16string_view key) {
    size_t at = table.find(key);
    if (at == std::u16string_view::npos) return {};
    size_t eq = table.find(u'=', at);
    if (eq == std::u16string_view::npos) return {};
    size_t lf = table.find(u'\n', eq);
    if (lf == std::u16string_view::npos) return {};
    // The unit before the LF is dropped whatever it is; "KEY=" + LF leaves nothing.
    size_t begin = eq + 1;
    size_t end = lf - 1;
    if (end <= begin) return {};
    return std::u16string(table.substr(begin, end - begin));
}

std::string GetLanguageText(const std::string& key) {
    Table table = Snapshot();
    {
        std::lock_guard<std::mutex> lock(table->foundLock);
        auto it = table->found.find(key);
        if (it != table->found.end()) return it->second;
    }
    std::string text = Utf16ToUtf8(FindLanguageText(table->text, Utf8ToUtf16(key)));
    std::lock_guard<std::mutex> lock(table->foundLock);
    if (table->found.size() < kMaxRemembered) table->found.emplace(key, text);
    return text;
}

void SetLanguageTable(std::u16string text) {
    Table fresh = std::make_shared<const LoadedTable>(std::move(text));
    std::lock_guard<std::mutex> lock(g_tableLock);
    g_table.swap(fresh);
    // The old snapshot is released after the lock, by whichever holder is last.
}

void LoadLanguageTable(const std::string& path) { SetLanguageTable(ReadUtf16File(path)); }

}  // namespace kerfel
