// A status line too long for its label: the path gives way in its middle,
// and the folder it ends in stays readable.
#include <gtest/gtest.h>

#include "app/status_line.h"
#include "base/utf8.h"
#include "i18n/language_table.h"

using kerfel::StatusLine;

namespace {
// One unit of width per character, as a fixed-pitch font measures.
int Characters(const std::string& text) { return static_cast<int>(kerfel::CharacterCount(text)); }
}  // namespace

TEST(StatusWithin, ALongPathLosesItsMiddleAndKeepsItsStartAndFolder) {
    kerfel::SetLanguageTable(u"DONE=Tiles written to %s\r\nLATER=In %s geschrieben\r\n");
    const std::string folder = "/home/someone/pictures/first_level/second_level/third_level_folder/photo";
    EXPECT_EQ(kerfel::SayStatusWithin(StatusLine::Format("DONE", folder), 200, Characters), "Tiles written to " + folder);
    EXPECT_EQ(kerfel::SayStatusWithin(StatusLine::Format("DONE", "/home/a_name_far_too_long"), 26, Characters),
              "Tiles written to \u2026too_long");  // the folder's end, when nothing else is left
    for (const char* key : {"DONE", "LATER"})
        for (int width : {60, 40, 30}) {
            const std::string said = kerfel::SayStatusWithin(StatusLine::Format(key, folder), width, Characters);
            EXPECT_EQ(Characters(said), width) << said;
            EXPECT_NE(said.find("/home"), std::string::npos) << said;
            EXPECT_LT(said.find("\u2026"), said.find("/photo")) << said;
        }
    // Characters of several bytes are never split.
    const StatusLine other = StatusLine::Format("DONE", "/home/\u00e9t\u00e9/\u5199\u771f/\u00e0_\u00e9crire/\u7167\u7247");
    for (int width = 18; width < 40; ++width) EXPECT_TRUE(kerfel::IsValidUtf8(kerfel::SayStatusWithin(other, width, Characters)));
    kerfel::SetLanguageTable({});
}
