#include <gtest/gtest.h>

#include "publish/viewer_page.h"
#include "zipper_check.h"

namespace {

// The page as a user's browser receives it, with its line ends spelled out.
std::string Expected(const std::string& movie, const std::string& image, const std::string& w, const std::string& h) {
    return "<html>\r\n"
           "<head>\r\n"
           "<title>Lorvak</title>\r\n"
           "</head>\r\n"
           "<body bgcolor=\"#ffffff\" leftmargin=0 topmargin=0 bottommargin=0 rightmargin=0 scroll=no>\r\n"
           "<table height=100% width=100% border=0 cellpadding=0 cellspacing=0>\r\n"
           "<tr>\r\n"
           "<td align=center>\r\n"
           "<object classid=\"clsid:d27cdb6e-ae6d-11cf-96b8-444553540000\" "
           "codebase=\"http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=7,0,0,0\" "
           "width=\"" + w + "\" height=\"" + h + "\" id=\"Lorvak\" align=\"middle\">\r\n"
           "<param name=\"allowScriptAccess\" value=\"sameDomain\"/>\r\n"
           "<param name=\"movie\" value=\"" + movie + "?ImagePath=" + image + "\" />\r\n"
           "<param name=\"quality\" value=\"high\" />\r\n"
           "<param name=\"bgcolor\" value=\"#ffffff\"/>\r\n"
           "<param name=FlashVars VALUE=\"ImagePath=" + image + "&\" />\r\n"
           "<embed src=\"" + movie + "\" quality=\"high\" bgcolor=\"#666666\" width=\"" + w + "\" height=\"" + h +
           "\" name=\"Lorvak\" align=\"middle\" allowScriptAccess=\"sameDomain\" "
           "type=\"application/x-shockwave-flash\" pluginspage=\"http://www.macromedia.com/go/getflashplayer\" />\r\n"
           "</object>\r\n"
           "</td>\r\n"
           "</tr>\r\n"
           "</table>\r\n"
           "</body>\r\n"
           "</html>";
}

}  // namespace

TEST(ViewerPage, IsTheTwentyOneLinePageByteForByte) {
    ziptest::TempFolder tmp;
    kerfel::ViewerPageParams p{tmp.path + "/Lorvak.html", "/opt/kerfel/Zoom.swf", "/home/ann/web/photo", 1000, 800};
    ASSERT_TRUE(kerfel::WriteViewerPage(p).ok());
    std::string page = ziptest::ReadFile(p.pagePath);
    EXPECT_EQ(page, Expected("/opt/kerfel/Zoom.swf", "/home/ann/web/photo", "1000", "800"));
    int lines = 1, crlf = 0;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\n') {
            ++lines;
            crlf += i > 0 && page[i - 1] == '\r';
        }
    }
    EXPECT_EQ(lines, 21);
    EXPECT_EQ(crlf, 20);
    EXPECT_EQ(page.substr(page.size() - 7), "</html>");

    // Written again with another view level: the whole file is replaced.
    p.width = 250;
    p.height = 200;
    ASSERT_TRUE(kerfel::WriteViewerPage(p).ok());
    EXPECT_EQ(ziptest::ReadFile(p.pagePath), Expected("/opt/kerfel/Zoom.swf", "/home/ann/web/photo", "250", "200"));
}

TEST(ViewerPage, PathsGoInUnchangedExceptWhatWouldBreakTheMarkup) {
    kerfel::ViewerPageParams p{"unused", "/my apps/k&k #1?/Zoom.swf", "/home/ann/web & more/#2 what?/ph\xC3\xB6to", 500, 400};
    EXPECT_EQ(kerfel::ViewerPageText(p),
              Expected("/my apps/k&k #1?/Zoom.swf", "/home/ann/web & more/#2 what?/ph\xC3\xB6to", "500", "400"));
    p.imagePath = "/home/ann/say \"hi\" <b>/photo";
    std::string page = kerfel::ViewerPageText(p);
    EXPECT_NE(page.find("ImagePath=/home/ann/say &quot;hi&quot; &lt;b>/photo&\""), std::string::npos);
    EXPECT_EQ(page.find("say \"hi\""), std::string::npos);
}

TEST(ViewerPage, AFileThatCannotBeCreatedIsReported) {
    kerfel::ViewerPageParams p{"/proc/no/Lorvak.html", "/a/Zoom.swf", "/a/b", 1, 1};
    kerfel::Status s = kerfel::WriteViewerPage(p);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.message.find("/proc/no/Lorvak.html"), std::string::npos);
}
