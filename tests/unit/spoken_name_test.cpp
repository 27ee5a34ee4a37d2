// Names a screen reader says for captions drawn on the skin.
#include <gtest/gtest.h>

#include "skin/spoken_name.h"

namespace kerfel {

TEST(SpokenName, CaptionsLoseTheirMnemonicMarkAndStraySpaces) {
    EXPECT_EQ(SpokenCaption("Browse &File ..."), "Browse File ...");
    EXPECT_EQ(SpokenCaption("Fish && &Chips"), "Fish & Chips");
    EXPECT_EQ(SpokenCaption("  Two\r\nlines   here "), "Two lines here");
    EXPECT_EQ(SpokenCaption("&"), "");
    EXPECT_EQ(SpokenCaption("Übersicht&"), "Übersicht");
}

TEST(SpokenName, AFieldIsNamedByItsLabelWithoutTheColon) {
    EXPECT_EQ(FieldNameFromLabel("Save Tiles to folder :"), "Save Tiles to folder");
    EXPECT_EQ(FieldNameFromLabel("&Folder:"), "Folder");
    EXPECT_EQ(FieldNameFromLabel("Levels to Zoom In"), "Levels to Zoom In");
    EXPECT_EQ(FieldNameFromLabel(" : "), "");
}

}  // namespace kerfel
