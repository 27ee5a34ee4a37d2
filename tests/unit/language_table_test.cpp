#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "i18n/language_list.h"
#include "i18n/language_table.h"
#include "i18n/utf16_file.h"
#include "base/utf8.h"

using kerfel::GetLanguageText;
using kerfel::SetLanguageTable;

namespace {

// Loads a table given as UTF-8 (line ends written out by each test).
void Use(const std::string& utf8) { SetLanguageTable(kerfel::Utf8ToUtf16(utf8)); }

std::string TempPath(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() / ("kerfel-lang-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// UTF-16LE bytes of a UTF-8 text.
std::string Le(const std::string& utf8) {
    std::string bytes;
    for (char16_t u : kerfel::Utf8ToUtf16(utf8)) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

struct LanguageTableTest : ::testing::Test {
    void TearDown() override { SetLanguageTable({}); }
};

}  // namespace

TEST_F(LanguageTableTest, NothingLoadedAndAbsentKeysGiveEmptyTexts) {
    EXPECT_EQ(GetLanguageText("MESSAGEBOX.IDOK"), "");
    Use("MESSAGEBOX.IDOK=OK\r\n");
    EXPECT_EQ(GetLanguageText("MESSAGEBOX.IDOK"), "OK");
    EXPECT_EQ(GetLanguageText("MESSAGEBOX.IDNO"), "");
    EXPECT_EQ(GetLanguageText("messagebox.idok"), "") << "keys are case-sensitive";
    Use("messagebox.idok=OK\r\n");
    EXPECT_EQ(GetLanguageText("MESSAGEBOX.IDOK"), "");
}

TEST_F(LanguageTableTest, EntriesWithoutTextOrLineBreakAreEmpty) {
    Use("A.EMPTY=\r\nA.LAST=no line break");
    EXPECT_EQ(GetLanguageText("A.EMPTY"), "");
    EXPECT_EQ(GetLanguageText("A.LAST"), "");
    Use("A.NOEQUALS\r\n");
    EXPECT_EQ(GetLanguageText("A.NOEQUALS"), "");
    Use("A.ONE=x\r\n");
    EXPECT_EQ(GetLanguageText("A.ONE"), "x");
}

TEST_F(LanguageTableTest, TheUnitBeforeTheLineFeedIsAlwaysDropped) {
    Use("A.TEXT=Hello\nB.TEXT=World\n");
    EXPECT_EQ(GetLanguageText("A.TEXT"), "Hell");
    EXPECT_EQ(GetLanguageText("B.TEXT"), "Worl");
    Use("A.ONE=x\n");
    EXPECT_EQ(GetLanguageText("A.ONE"), "");
    // One UTF-16 unit: a character outside the basic plane loses only its
    // second half, which then reads as a replacement character.
    Use("A.WIDE=Grüße\r\nA.EMOJI=ab\xF0\x9F\x98\x80\n");
    EXPECT_EQ(GetLanguageText("A.WIDE"), "Grüße");
    EXPECT_EQ(GetLanguageText("A.EMOJI"), "ab\xEF\xBF\xBD");
}

TEST_F(LanguageTableTest, SpacesAroundTheEqualsSign) {
    Use("KERFELDIALOG.IDC_BQUES = Help\r\nKERFELDIALOG.TOOLTIPTEXT_IDC_BGENERATE =Make tiles\r\n");
    EXPECT_EQ(GetLanguageText("KERFELDIALOG.IDC_BQUES"), " Help");
    EXPECT_EQ(GetLanguageText("KERFELDIALOG.TOOLTIPTEXT_IDC_BGENERATE "), "Make tiles");
    Use("KERFELDIALOG.TOOLTIPTEXT_IDC_BGENERATE=Make tiles\r\n");
    EXPECT_EQ(GetLanguageText("KERFELDIALOG.TOOLTIPTEXT_IDC_BGENERATE "), "");
}

TEST_F(LanguageTableTest, TheFirstOccurrenceWinsEvenInsideAText) {
    Use("KERFELDIALOG.IDC_LLEVELSIDC_LOSIZE=Original\r\nKERFELDIALOG.IDC_LLEVELS=Levels\r\n");
    EXPECT_EQ(GetLanguageText("KERFELDIALOG.IDC_LLEVELS"), "Original");
    Use("KERFELDIALOG.IDC_BCLOSEBUT=Close\r\nKERFELDIALOG.IDC_BCLOSEBUT1=Stop\r\nKERFELDIALOG.IDC_BCLOSEBUT2=Quit\r\n");
    EXPECT_EQ(GetLanguageText("KERFELDIALOG.IDC_BCLOSEBUT"), "Close");
    EXPECT_EQ(GetLanguageText("KERFELDIALOG.IDC_BCLOSEBUT2"), "Quit");
    Use("A.FIRST=write B.SECOND=x here\r\nB.SECOND=own text\r\n");
    EXPECT_EQ(GetLanguageText("B.SECOND"), "x here") << "found inside A.FIRST's text";
    Use("A.FIRST=mentions B.SECOND only\r\nB.SECOND=own text\r\n");
    EXPECT_EQ(GetLanguageText("B.SECOND"), "own text") << "the next \"=\" after the occurrence";
    Use("A.KEY=one=two\r\n");
    EXPECT_EQ(GetLanguageText("A.KEY"), "one=two");
}

TEST_F(LanguageTableTest, ALaterLoadReplacesTheWholeTable) {
    Use("A.LONG=first file\r\nB.ONLY=only in the first\r\n");
    Use("A.LONG=second\r\n");
    EXPECT_EQ(GetLanguageText("A.LONG"), "second");
    EXPECT_EQ(GetLanguageText("B.ONLY"), "");
}

TEST(Utf16File, ReadsLittleEndianWholeUpToTheFirstNul) {
    std::string path = TempPath("read.txt");
    WriteBytes(path, Le("\xEF\xBB\xBF" "A.KEY=Wert\r\n"));
    std::u16string text = kerfel::ReadUtf16File(path);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text[0], u'\xFEFF') << "a byte-order mark is kept as the first character";
    kerfel::LoadLanguageTable(path);
    EXPECT_EQ(GetLanguageText("A.KEY"), "Wert");

    WriteBytes(path, Le("A=1\r\n") + std::string("\0\0", 2) + Le("B=2\r\n"));
    EXPECT_EQ(kerfel::ReadUtf16File(path), u"A=1\r\n");
    WriteBytes(path, Le("AB") + "C");
    EXPECT_EQ(kerfel::ReadUtf16File(path), u"AB") << "an odd last byte is dropped";

    kerfel::LoadLanguageTable(TempPath("missing.txt"));
    EXPECT_EQ(GetLanguageText("A.KEY"), "") << "a missing file leaves an empty table";
    std::filesystem::remove(path);

    // A folder opens and then fails its first read: read as nothing, never thrown.
    std::string folder = TempPath("folder.txt");
    std::filesystem::create_directories(folder);
    EXPECT_EQ(kerfel::ReadUtf16File(folder), u"");
    kerfel::LoadLanguageTable(folder);
    EXPECT_EQ(GetLanguageText("A.KEY"), "");
    std::filesystem::remove(folder);
    // A named pipe with no writer would block the reader forever.
    std::string pipe = TempPath("pipe.txt");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(kerfel::ReadUtf16File(pipe), u"");
    std::filesystem::remove(pipe);
}

TEST(LanguageList, ParsesPairsInFileOrder) {
    auto list = kerfel::ParseLanguageList(u"Deutsch=deu.txt\r\nFran\u00E7ais=fra.txt\r\n");
    EXPECT_EQ(list, (std::vector<std::string>{"Deutsch", "deu.txt", "Français", "fra.txt"}));
    EXPECT_EQ(kerfel::ParseLanguageList(u"Deutsch=deu.txt\r\nLast=no.txt").size(), 2u)
        << "a last line without a line break is ignored";
    EXPECT_EQ(kerfel::ParseLanguageList(u"Deutsch=deu.txt\n"),
              (std::vector<std::string>{"Deutsch", "deu.tx"}));
    EXPECT_TRUE(kerfel::ParseLanguageList(u"").empty());
}

TEST(LanguageList, MalformedLinesNameNoLanguage) {
    EXPECT_EQ(kerfel::ParseLanguageList(u"\r\nno equals\r\nDeutsch=deu.txt\r\n"),
              (std::vector<std::string>{"Deutsch", "deu.txt"}));
    EXPECT_EQ(kerfel::ParseLanguageList(u"Empty=\r\n"), (std::vector<std::string>{"Empty", ""}));
}

TEST(LanguageList, AByteOrderMarkStaysPartOfTheFirstNameAndStillMatches) {
    auto list = kerfel::ParseLanguageList(u"\uFEFFDeutsch=deu.txt\r\n");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], "\xEF\xBB\xBF" "Deutsch");
    EXPECT_EQ(kerfel::FindLanguageFile(list, list[0]), "deu.txt");
    EXPECT_EQ(kerfel::FindLanguageFile(list, "Deutsch"), "");
}

TEST(LanguageList, TheLaterOfTwoEqualNamesWins) {
    std::vector<std::string> list{"Deutsch", "deu.txt", "Italiano", "ita.txt", "Deutsch", "deu2.txt"};
    EXPECT_EQ(kerfel::FindLanguageFile(list, "Deutsch"), "deu2.txt");
    EXPECT_EQ(kerfel::FindLanguageFile(list, "Italiano"), "ita.txt");
    EXPECT_EQ(kerfel::FindLanguageFile(list, "deutsch"), "");
}

TEST(LanguageList, LoadsFromAFile) {
    std::string path = TempPath("lan.txt");
    WriteBytes(path, Le("Deutsch=deu.txt\r\n"));
    kerfel::LoadLanguageList(path);
    EXPECT_EQ(kerfel::LanguageList(), (std::vector<std::string>{"Deutsch", "deu.txt"}));
    kerfel::LoadLanguageList(TempPath("absent-lan.txt"));
    EXPECT_TRUE(kerfel::LanguageList().empty());
    std::filesystem::remove(path);
}

TEST(Utf, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(kerfel::Utf16ToUtf8(u"a\xD800" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(kerfel::Utf8ToUtf16("a\xC3"), u"a\xFFFD");
    EXPECT_EQ(kerfel::Utf8ToUtf16("\xC0\xAF"), u"\xFFFD") << "overlong form";
    EXPECT_EQ(kerfel::Utf16ToUtf8(kerfel::Utf8ToUtf16("Grüße \xF0\x9F\x98\x80")), "Grüße \xF0\x9F\x98\x80");
    EXPECT_EQ(kerfel::CharacterCount("Grüße"), 5u);
}
