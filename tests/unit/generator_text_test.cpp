#include <gtest/gtest.h>

#include "engine/message_format.h"

using kerfel::FormatMessageText;

TEST(MessageFormat, FillsConversionsByPositionAndSurvivesBadFormats) {
    EXPECT_EQ(FormatMessageText("Level %d: %s", {3LL, std::string("/out/3-0-0.jpg")}), "Level 3: /out/3-0-0.jpg");
    EXPECT_EQ(FormatMessageText("%s exists", {std::string("photo")}), "photo exists");
    EXPECT_EQ(FormatMessageText("100%% of %ld tiles, %5d", {7LL, 8LL}), "100% of 7 tiles, 8");
    // More conversions than arguments, swapped types, a stray percent sign.
    EXPECT_EQ(FormatMessageText("%s %s %s %n", {std::string("a")}), "a   %n");
    EXPECT_EQ(FormatMessageText("%s", {42LL}), "42");
    EXPECT_EQ(FormatMessageText("50%", {}), "50%");
    EXPECT_EQ(FormatMessageText("", {1LL}), "");
    EXPECT_EQ(FormatMessageText("Cancelled.", {}), "Cancelled.");
}
