#include "publish/viewer_page.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace kerfel {
namespace {

// The plug-in's addresses on its vendor's servers; only their paths matter
// to the page, the hosts are the ones the plug-in was distributed from.
constexpr const char* kCabinetAddress = "http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab";
constexpr const char* kPluginPage = "http://www.macromedia.com/go/getflashplayer";

std::string AttributeSafe(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '"') out += "&quot;";
        else if (c == '<') out += "&lt;";
        else out += c;
    }
    return out;
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 32);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

std::string ViewerPageText(const ViewerPageParams& p) {
    const std::string movie = AttributeSafe(p.moviePath);
    const std::string image = AttributeSafe(p.imagePath);
    const std::string w = std::to_string(p.width);
    const std::string h = std::to_string(p.height);
    std::string page;
    page += "<html>\n<head>\n<title>Lorvak</title>\n</head>\n"
            "<body bgcolor=\"#ffffff\" leftmargin=0 topmargin=0 bottommargin=0 rightmargin=0 scroll=no>\n"
            "<table height=100% width=100% border=0 cellpadding=0 cellspacing=0>\n<tr>\n<td align=center>\n";
    page += "<object classid=\"clsid:d27cdb6e-ae6d-11cf-96b8-444553540000\" codebase=\"";
    page += kCabinetAddress;
    page += "#version=7,0,0,0\" ";
    page += "width=\"" + w + "\" height=\"" + h + "\" ";
    page += "id=\"Lorvak\" align=\"middle\">\n"
            "<param name=\"allowScriptAccess\" value=\"sameDomain\"/>\n"
            "<param name=\"movie\" value=\"" + movie + "?ImagePath=" + image + "\" />\n"
            "<param name=\"quality\" value=\"high\" />\n"
            "<param name=\"bgcolor\" value=\"#ffffff\"/>\n"
            "<param name=FlashVars VALUE=\"ImagePath=" + image + "&\" />\n";
    page += "<embed src=\"" + movie + "\" quality=\"high\" bgcolor=\"#666666\" width=\"" + w + "\" height=\"" + h +
            "\" name=\"Lorvak\" align=\"middle\" allowScriptAccess=\"sameDomain\" "
            "type=\"application/x-shockwave-flash\" pluginspage=\"";
    page += kPluginPage;
    page += "\" />";
    page += "\n</object>\n</td>\n</tr>\n</table>\n</body>\n</html>";
    return WithCrLf(page);
}

Status WriteViewerPage(const ViewerPageParams& params) {
    std::ofstream out(params.pagePath, std::ios::binary | std::ios::trunc);
    if (!out) return Status::Output(params.pagePath + ": cannot be written: " + std::strerror(errno));
    const std::string text = ViewerPageText(params);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) return Status::Output(params.pagePath + ": cannot be written completely");
    return Status::Ok();
}

}  // namespace kerfel
