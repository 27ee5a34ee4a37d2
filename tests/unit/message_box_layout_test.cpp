#include <gtest/gtest.h>

#include "i18n/message_box_model.h"
#include "base/utf8.h"

using namespace kerfel;

namespace kerfel {
void PrintTo(const BoxRect& r, std::ostream* os) {
    *os << "{" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << "}";
}
}  // namespace kerfel

namespace {

// A fixed-pitch font: 6 pixels a character, 13 a line; "W" is 12 wide.
BoxSize Measure(const std::string& s) {
    int width = 0;
    for (char c : s) width += c == 'W' ? 12 : 6;
    return {width, 13};
}

MessageBoxLayout Lay(int flags, const std::string& text, const std::string& caption = "Note",
                     int captionBar = 0, BoxRect owner = {100, 50, 600, 400}) {
    MessageBoxLayoutInput in;
    in.m_nFlags = flags;
    in.m_strText = text;
    in.m_strCaption = caption;
    in.m_measure = Measure;
    in.m_nCaptionBarHeight = captionBar;
    in.m_rcOwner = owner;
    in.m_szTemplateClient = {364, 120};
    return LayOutMessageBox(in);
}

}  // namespace

TEST(MessageBoxFlags, TheHighestBitOfEachGroupWins) {
    EXPECT_EQ(DecodeMessageBoxFlags(0x09).m_nButtonSet, 4);
    EXPECT_EQ(DecodeMessageBoxFlags(0x09).m_nIcon, 0);
    EXPECT_EQ(DecodeMessageBoxFlags(0xC1).m_nButtonSet, 1);
    EXPECT_EQ(DecodeMessageBoxFlags(0xC1).m_nIcon, 8);
    EXPECT_EQ(DecodeMessageBoxFlags(MBX_YESNO | MBX_ICONWARNING).m_nIcon, 9);
    EXPECT_EQ(DecodeMessageBoxFlags(MBX_ABORTRETRYIGNORE | MBX_ICONINFORMATION | MBX_ICONERROR).m_nIcon, 10);
    EXPECT_EQ(DecodeMessageBoxFlags(0x3F).m_nButtonSet, 6);
    EXPECT_EQ(DecodeMessageBoxFlags(0x400 | MBX_OKCANCEL).m_nButtonSet, 2) << "higher bits are ignored";
    EXPECT_EQ(DecodeMessageBoxFlags(MBX_ICONERROR).m_nButtonSet, 1) << "no button bit still gives a button";
}

TEST(MessageBoxFlags, ButtonsAndResultsBySet) {
    auto yesNoCancel = MessageBoxButtons(5);
    EXPECT_EQ(yesNoCancel[0].m_nResult, IDYES);
    EXPECT_EQ(yesNoCancel[1].m_nResult, IDNO);
    EXPECT_EQ(yesNoCancel[2].m_nResult, IDCANCEL);
    EXPECT_STREQ(yesNoCancel[2].m_szKey, "MESSAGEBOX.IDCANCEL");
    auto ok = MessageBoxButtons(1);
    EXPECT_FALSE(ok[0].m_bShown);
    EXPECT_TRUE(ok[1].m_bShown);
    EXPECT_FALSE(ok[2].m_bShown);
    EXPECT_EQ(ok[1].m_nResult, IDOK);
    auto abort = MessageBoxButtons(6);
    EXPECT_EQ(abort[0].m_nResult, IDABORT);
    EXPECT_EQ(abort[1].m_nResult, IDRETRY);
    EXPECT_EQ(abort[2].m_nResult, IDIGNORE);
    EXPECT_STREQ(MessageBoxButtons(3)[0].m_szKey, "MESSAGEBOX.IDRETRY");
    EXPECT_EQ(FocusedButton(1), 1);
    EXPECT_EQ(FocusedButton(4), 0);
    EXPECT_EQ(EscapeResult(4), IDNO);
    EXPECT_EQ(EscapeResult(1), IDOK);
    EXPECT_EQ(EscapeResult(5), IDCANCEL);
}

TEST(MessageBoxLayout, ShortBoxesKeepTheirBaseWidth) {
    MessageBoxLayout ok = Lay(MBX_OK, "Done.", "Hi");
    EXPECT_EQ(ok.m_rcBox.width, 125);
    EXPECT_EQ(ok.m_rcBox.height, 100);
    EXPECT_EQ(ok.m_rcButtons[1], (BoxRect{22, 41, 80, 25}));  // x = 125/2 - 40, top = 2 x 13 + 15
    EXPECT_EQ(ok.m_rcLabel, (BoxRect{15, 10, 40, 26}));

    MessageBoxLayout yesNo = Lay(MBX_YESNO | MBX_ICONQUESTION, "Go?", "Q");
    EXPECT_EQ(yesNo.m_rcBox.width, 200);
    EXPECT_EQ(yesNo.m_rcButtons[0].x, 10);
    EXPECT_EQ(yesNo.m_rcButtons[1].x, 110);
    EXPECT_EQ(yesNo.m_rcLabel.x, 50);

    MessageBoxLayout three = Lay(MBX_YESNOCANCEL | MBX_ICONWARNING, "Save?", "Q");
    EXPECT_EQ(three.m_rcBox.width, 250);
    EXPECT_EQ(three.m_rcButtons[0].x, 22);
    EXPECT_EQ(three.m_rcButtons[1].x, 95);
    EXPECT_EQ(three.m_rcButtons[2].x, 166);
    EXPECT_EQ(Lay(MBX_OK | MBX_ICONERROR, "x", "").m_rcLabel.x, 45);
    EXPECT_EQ(Lay(MBX_ABORTRETRYIGNORE, "x", "").m_rcBox.width, 220);
}

TEST(MessageBoxLayout, LongTextsWidenTheBox) {
    std::string line(40, 'a');  // 240 pixels
    EXPECT_EQ(Lay(MBX_OK, line, "").m_rcBox.width, 275);
    EXPECT_EQ(Lay(MBX_OK | MBX_ICONINFORMATION, line, "").m_rcBox.width, 300);
    EXPECT_EQ(Lay(MBX_YESNO, line, "").m_rcBox.width, 275);
    EXPECT_EQ(Lay(MBX_YESNO | MBX_ICONQUESTION, line, "").m_rcBox.width, 310);
    MessageBoxLayout three = Lay(MBX_YESNOCANCEL | MBX_ICONQUESTION, line, "");
    EXPECT_EQ(three.m_rcBox.width, 310);
    EXPECT_EQ(three.m_rcButtons[0].x, 310 / 4 - 40);
    EXPECT_EQ(three.m_rcButtons[2].x, (310 / 4) * 3 - 20);
    EXPECT_EQ(Lay(MBX_OK, std::string(18, 'a'), "").m_rcBox.width, 125) << "108 px fits in 125 - 15";
    EXPECT_EQ(Lay(MBX_OK, std::string(19, 'a'), "").m_rcBox.width, 149);
}

TEST(MessageBoxLayout, LineFeedsSetTheHeight) {
    MessageBoxLayout two = Lay(MBX_YESNO, "first\nsecond line\nthird");
    EXPECT_EQ(two.m_nLines, 4);
    EXPECT_EQ(two.m_nTextHeight, 52);
    EXPECT_EQ(two.m_rcBox.height, 4 * 13 + 70);
    EXPECT_EQ(two.m_rcButtons[0].y, 52 + 15);
    EXPECT_EQ(two.m_strMeasured, "second line");
    EXPECT_EQ(Lay(MBX_OK, "a\n").m_rcBox.height, 3 * 13 + 70);
    EXPECT_EQ(Lay(MBX_OK, "one line").m_rcBox.height, 100);
    EXPECT_EQ(Lay(MBX_OK, "one line", "c", 30).m_rcBox.height, 112) << "caption bar above 18 pixels";
    EXPECT_EQ(Lay(MBX_OK, "one line", "c", 18).m_rcBox.height, 100);
}

TEST(MessageBoxLayout, TheLongestLineAndTheCaptionAreComparedByCharacters) {
    EXPECT_EQ(Lay(MBX_OK, "abc", "A longer caption").m_strMeasured, "A longer caption");
    EXPECT_EQ(Lay(MBX_OK, "abc", "A longer caption").m_szMeasured.width, 16 * 6);
    EXPECT_EQ(Lay(MBX_OK, "same", "abcd").m_strMeasured, "same") << "equal counts keep the line";
    // Fewer but wider characters lose against more narrow ones.
    MessageBoxLayout wide = Lay(MBX_OK, "WWWWWWWWWW\naaaaaaaaaaa", "");
    EXPECT_EQ(wide.m_strMeasured, "aaaaaaaaaaa");
    EXPECT_EQ(wide.m_rcLabel.width, 66 + 10);
    EXPECT_EQ(Lay(MBX_OK, "tie1\ntie2", "").m_strMeasured, "tie1") << "the first of equal lines";
    EXPECT_EQ(Lay(MBX_OK, "ééé\nabcd", "").m_strMeasured, "abcd") << "characters, not bytes";
}

TEST(MessageBoxLayout, TheBoxIsCentredOnItsOwner) {
    MessageBoxLayout ok = Lay(MBX_OK, "x", "", 0, {100, 50, 600, 400});
    EXPECT_EQ(ok.m_rcBox.x, 100 + 300 - 62);
    EXPECT_EQ(ok.m_rcBox.y, 50 + 200 - 50);
    // The caption-bar correction comes after the position.
    MessageBoxLayout tall = Lay(MBX_OK, "x", "", 40, {0, 0, 200, 200});
    EXPECT_EQ(tall.m_rcBox.y, 100 - 50);
    EXPECT_EQ(tall.m_rcBox.height, 122);
}

TEST(MessageBoxLayout, LanguageChoiceHasItsOwnGeometry) {
    MessageBoxLayoutInput in;
    in.m_nFlags = MBX_OK;
    in.m_strText = "Select Language";
    in.m_strCaption = "Select Language";
    in.m_bLanguageChoice = true;
    in.m_measure = Measure;
    in.m_nCaptionBarHeight = 20;
    in.m_szTemplateClient = {364, 120};
    MessageBoxLayout l = LayOutMessageBox(in);
    EXPECT_EQ(l.m_rcBox, (BoxRect{364 + 90, 240 + 66, 180, 132}));
    EXPECT_EQ(l.m_rcButtons[1], (BoxRect{125 / 2 - 40 + 25, 70, 80, 25}));
    EXPECT_EQ(l.m_rcLabel, (BoxRect{40, 10, 15 * 6 + 10, 26}));
}
