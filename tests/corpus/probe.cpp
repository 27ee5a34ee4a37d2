// Drives the core on one file the way the desktop tool reads it, so the
// bad-input corpus can hand it language files, language lists and settings
// files from strangers. Prints one line saying what it read; exits 1 when
// something was lost or changed that must not be, 2 on usage.
//
//   kerfel_corpus_probe language FILE    every text the tool looks up, formatted
//   kerfel_corpus_probe languages FILE   the language list and each file it names
//   kerfel_corpus_probe settings FILE    every value read, then one box ticked
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "base/file_read.h"
#include "i18n/format_text.h"
#include "i18n/language_catalogue.h"
#include "i18n/language_list.h"
#include "i18n/language_table.h"
#include "i18n/utf16_file.h"

namespace {

// What a caller passes for each kind, chosen to provoke a careless formatter.
kerfel::TextArg Sample(char kind) {
    if (kind == 'd') return kerfel::TextArg(2147483647);
    return kerfel::TextArg("/tmp/100% \"%s\" %n.jpg");
}

std::string Format(const std::string& text, const char* kinds) {
    std::string k = kinds;
    switch (k.size()) {
        case 0: return kerfel::FormatText(text, {});
        case 1: return kerfel::FormatText(text, {Sample(k[0])});
        case 2: return kerfel::FormatText(text, {Sample(k[0]), Sample(k[1])});
        default: return kerfel::FormatText(text, {Sample(k[0]), Sample(k[1]), Sample(k[2])});
    }
}

int ProbeLanguage(const std::string& path) {
    kerfel::LoadLanguageTable(path);
    std::size_t found = 0, total = 0, longest = 0;
    for (const kerfel::CatalogueEntry& e : kerfel::LanguageCatalogue()) {
        std::string text = kerfel::GetLanguageText(e.m_szKey);
        if (e.m_szArguments) text = Format(text, e.m_szArguments);
        ++total;
        if (!text.empty()) ++found;
        if (text.size() > longest) longest = text.size();
    }
    std::printf("%zu of %zu texts found, the longest %zu bytes\n", found, total, longest);
    return 0;
}

int ProbeLanguageList(const std::string& path) {
    std::vector<std::string> list = kerfel::ParseLanguageList(kerfel::ReadUtf16File(path));
    std::size_t named = 0;
    for (std::size_t i = 0; i + 1 < list.size(); i += 2)
        if (!kerfel::FindLanguageFile(list, list[i]).empty()) ++named;
    std::printf("%zu languages listed, %zu with a file\n", list.size() / 2, named);
    return 0;
}


constexpr const char* kValueNames[] = {"OutputPath", "Language", "SmallMap", "NavigationScroll", "ZoomSlider",
                                       "ClickToZoom"};

std::vector<std::optional<std::string>> ReadAll(kerfel::SettingsStore& store) {
    std::vector<std::optional<std::string>> values;
    for (const char* name : kValueNames) {
        std::string v;
        values.push_back(store.ReadString(name, v) ? std::optional<std::string>(v) : std::nullopt);
    }
    return values;
}

// Ticking Small Map must keep every other value the file held, and a file
// that was not a settings file must survive beside the new one.
int ProbeSettings(const std::string& path) {
    std::optional<std::string> before = kerfel::ReadWholeFile(path);
    kerfel::SettingsStore store(path);
    if (!store.Open()) {
        bool same = kerfel::ReadWholeFile(path) == before;
        std::printf("the store does not open; nothing read or written%s\n", same ? "" : " (BUT THE FILE CHANGED)");
        return same ? 0 : 1;
    }
    std::vector<std::optional<std::string>> values = ReadAll(store);
    std::size_t read = 0;
    for (const auto& v : values) read += v.has_value();
    if (!store.WriteInt("SmallMap", 1)) {
        bool same = kerfel::ReadWholeFile(path) == before;
        std::printf("%zu values read; the write failed and left the file %s\n", read, same ? "as it was" : "CHANGED");
        return same ? 0 : 1;
    }
    std::vector<std::optional<std::string>> after = ReadAll(store);
    std::string lost;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (std::strcmp(kValueNames[i], "SmallMap") != 0 && after[i] != values[i]) lost += std::string(" ") + kValueNames[i];
    if (after[2] != std::optional<std::string>("1")) lost += " SmallMap";
    std::optional<std::string> aside = kerfel::ReadWholeFile(path + kerfel::kCorruptSuffix);
    std::string kept = aside ? (aside == before ? "; the old bytes kept beside it" : "; KEPT BYTES DIFFER") : "";
    std::printf("%zu values read; Small Map ticked, %s%s\n", read,
                lost.empty() ? "every other value kept" : ("LOST" + lost).c_str(), kept.c_str());
    return lost.empty() && kept.find("DIFFER") == std::string::npos ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kerfel_corpus_probe language|languages|settings FILE\n");
        return 2;
    }
    std::string what = argv[1];
    if (what == "language") return ProbeLanguage(argv[2]);
    if (what == "languages") return ProbeLanguageList(argv[2]);
    if (what == "settings") return ProbeSettings(argv[2]);
    std::fprintf(stderr, "kerfel_corpus_probe: unknown probe \"%s\"\n", argv[1]);
    return 2;
}
