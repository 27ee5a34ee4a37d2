// The language files the tool ships: complete, well formed, and with format
// texts that take exactly what their callers pass.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "i18n/language_catalogue.h"
#include "i18n/language_list.h"
#include "i18n/language_table.h"
#include "i18n/utf16_file.h"
#include "base/utf8.h"

namespace {

const std::string kFolder = std::string(KERFEL_SOURCE_DIR) + "/resources/LanguageFiles/";

std::vector<std::string> ShippedFiles() {
    std::vector<std::string> files{kerfel::kEnglishFile};
    auto list = kerfel::ParseLanguageList(kerfel::ReadUtf16File(kFolder + "lan.txt"));
    for (size_t i = 1; i < list.size(); i += 2) files.push_back(list[i]);
    return files;
}

// The entries line by line, the way a translator reads the file.
std::map<std::string, std::string> Entries(const std::string& utf8) {
    std::map<std::string, std::string> entries;
    std::istringstream in(utf8);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=');
        if (eq != std::string::npos) entries.emplace(line.substr(0, eq), line.substr(eq + 1));
    }
    return entries;
}

// The placeholders of a format text in order ("s", "d"), or "?" for a "%"
// that starts none of them.
std::string Placeholders(const std::string& text) {
    std::string kinds;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (next == '%') ++i;
        else if (next == 's' || next == 'd') kinds += next, ++i;
        else kinds += '?';
    }
    return kinds;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(ShippedLanguages, EnglishAndAtLeastTwoMoreAreListed) {
    auto list = kerfel::ParseLanguageList(kerfel::ReadUtf16File(kFolder + "lan.txt"));
    ASSERT_GE(list.size(), 4u);
    for (size_t i = 0; i < list.size(); i += 2) {
        EXPECT_NE(list[i], kerfel::kEnglishName) << "English is offered by the tool itself";
        EXPECT_TRUE(std::filesystem::exists(kFolder + list[i + 1])) << list[i + 1];
    }
}

TEST(ShippedLanguages, EveryFileHoldsEveryKeyFoundAtItsOwnEntry) {
    for (const std::string& file : ShippedFiles()) {
        SCOPED_TRACE(file);
        std::u16string text = kerfel::ReadUtf16File(kFolder + file);
        auto entries = Entries(kerfel::Utf16ToUtf8(text));
        kerfel::SetLanguageTable(text);
        for (const kerfel::CatalogueEntry& e : kerfel::LanguageCatalogue()) {
            auto own = entries.find(e.m_szKey);
            ASSERT_NE(own, entries.end()) << "missing key '" << e.m_szKey << "'";
            EXPECT_FALSE(own->second.empty()) << e.m_szKey;
            // An earlier entry or text holding the key would win the lookup.
            EXPECT_EQ(kerfel::GetLanguageText(e.m_szKey), own->second) << e.m_szKey;
        }
        EXPECT_EQ(entries.size(), kerfel::LanguageCatalogue().size()) << "a key the tool never looks up";
        EXPECT_EQ(kerfel::GetLanguageText("APPLICATION.LANGUAGE_ID"), file);
        std::string help = kerfel::GetLanguageText("APPLICATION.HELP_ID");
        EXPECT_TRUE(std::filesystem::is_regular_file(std::string(KERFEL_SOURCE_DIR) + "/resources/help/" + help))
            << help;
    }
    kerfel::SetLanguageTable({});
}

TEST(ShippedLanguages, FormatTextsTakeExactlyTheirCallersArguments) {
    for (const std::string& file : ShippedFiles()) {
        SCOPED_TRACE(file);
        kerfel::LoadLanguageTable(kFolder + file);
        for (const kerfel::CatalogueEntry& e : kerfel::LanguageCatalogue()) {
            if (!e.m_szArguments) continue;
            EXPECT_EQ(Placeholders(kerfel::GetLanguageText(e.m_szKey)), e.m_szArguments) << e.m_szKey;
        }
    }
    kerfel::SetLanguageTable({});
}

TEST(ShippedLanguages, FilesAreUtf16WithCrLfAndMatchTheirSources) {
    for (const std::string& file : {std::string("lan.txt"), std::string("eng.txt"), std::string("deu.txt"),
                                    std::string("fra.txt")}) {
        SCOPED_TRACE(file);
        std::u16string text = kerfel::ReadUtf16File(kFolder + file);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(Bytes(kFolder + file).size(), 2 * text.size()) << "no NUL inside, even length";
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\n') {
                EXPECT_TRUE(i > 0 && text[i - 1] == u'\r') << "LF without CR at " << i;
            } else if (text[i] == u'\r') {
                EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == u'\n') << "lone CR at " << i;
            }
        }
        EXPECT_EQ(text.substr(text.size() - 2), u"\r\n") << "the last entry needs its line break";

        // Generated from the readable source without "#" lines and blank lines.
        std::string expected;
        std::istringstream src(Bytes(kFolder + "src/" + file));
        for (std::string line; std::getline(src, line);)
            if (!line.empty() && line[0] != '#') expected += line + "\r\n";
        EXPECT_EQ(kerfel::Utf16ToUtf8(text), expected) << "run scripts/make-language-files";
    }
}
