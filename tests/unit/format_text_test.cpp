#include <gtest/gtest.h>

#include "i18n/format_text.h"

using kerfel::FormatText;

TEST(FormatText, FillsPlaceholdersInOrder) {
    EXPECT_EQ(FormatText("Level %d: %s", {3, std::string("/out/Images/3-0-1.jpg")}),
              "Level 3: /out/Images/3-0-1.jpg");
    EXPECT_EQ(FormatText("%d x %d", {500, 400}), "500 x 400");
    EXPECT_EQ(FormatText("Copy %s to %s failed", {"a.mp3", "b/bgmusic.mp3"}), "Copy a.mp3 to b/bgmusic.mp3 failed");
    EXPECT_EQ(FormatText("100%% done", {}), "100% done");
    EXPECT_EQ(FormatText("no placeholders", {1, "x"}), "no placeholders") << "extra arguments are ignored";
    EXPECT_EQ(FormatText("%d", {-2147483647 - 1}), "-2147483648");
    EXPECT_EQ(FormatText("%d", {4000000000LL}), "4000000000");
    EXPECT_EQ(FormatText("Ordner „%s“ existiert", {"Bild"}), "Ordner „Bild“ existiert");
}

TEST(FormatText, MismatchedPlaceholdersAreShownLiterally) {
    EXPECT_EQ(FormatText("%s of %d", {7, 8}), "%s of 8") << "the integer for %s is taken but not shown";
    EXPECT_EQ(FormatText("%d then %s", {"text", "next"}), "%d then next");
    EXPECT_EQ(FormatText("%s and %s and %d", {"one"}), "one and %s and %d") << "beyond the arguments";
    EXPECT_EQ(FormatText("%d", {}), "%d");
}

TEST(FormatText, UnknownOrDangerousConversionsAreShownLiterally) {
    EXPECT_EQ(FormatText("%n%n%n", {1}), "%n%n%n");
    EXPECT_EQ(FormatText("%99999d", {1}), "%99999d");
    EXPECT_EQ(FormatText("%x %p %ls %.*s", {1, "a"}), "%x %p %ls %.*s");
    EXPECT_EQ(FormatText("50%", {1}), "50%") << "a lone % at the end";
    EXPECT_EQ(FormatText("%", {}), "%");
    EXPECT_EQ(FormatText("%%d", {5}), "%d");
    EXPECT_EQ(FormatText("%%%d", {5}), "%5");
    EXPECT_EQ(FormatText("", {"x"}), "");
}

TEST(FormatText, ArgumentsDoNotReinterpretEachOther) {
    // A string argument holding percent signs is inserted as it stands.
    EXPECT_EQ(FormatText("%s|%d", {"%d%s%n", 9}), "%d%s%n|9");
    const char* none = nullptr;
    EXPECT_EQ(FormatText("[%s]", {none}), "[]");
}
