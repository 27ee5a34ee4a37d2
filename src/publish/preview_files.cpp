#include "publish/preview_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/path.h"
#include "engine/job_folder.h"
#include "publish/html_escape.h"

namespace kerfel {
Status MakePreviewFolder(std::string& folder) {
    const char* env = std::getenv("TMPDIR");
    std::string pattern = TrimTrailingSlashes(env && *env ? env : "/tmp") + "/LIKXXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) {
        folder = pattern;
        return Status::Output(std::strerror(errno));
    }
    folder = buffer.data();
    return Status::Ok();
}

void RemovePreviewPage(const std::string& pagePath) {
    std::string::size_type slash = pagePath.rfind('/');
    if (slash == std::string::npos) return;
    ::unlink(pagePath.c_str());
    ::rmdir(pagePath.substr(0, slash).c_str());
}

std::string DescriptorSummaryHtml(const DescriptorValues& v, const std::string& title) {
    auto row = [](const char* name, const std::string& value) {
        return std::string("<tr><th>") + name + "</th><td>" + HtmlEscape(value) + "</td></tr>\n";
    };
    auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + HtmlEscape(title) +
           "</title>\n<style>body{font-family:sans-serif;background:#fff}th{text-align:left;padding-right:1em}</style>"
           "</head><body>\n<h3>" + HtmlEscape(title) + "</h3>\n<table>\n" +
           row("Width", std::to_string(v.width)) + row("Height", std::to_string(v.height)) +
           row("Tiles", std::to_string(v.tiles)) + row("viewWidth", std::to_string(v.viewWidth)) +
           row("viewHeight", std::to_string(v.viewHeight)) + row("showNav", flag(v.showNav)) +
           row("showSlider", flag(v.showSlider)) + row("showpanButtons", flag(v.showPanButtons)) +
           row("clicktoLorvak", flag(v.clickToZoom)) + row("soundURL", v.music ? kMusicFileName : "") +
           "</table>\n</body></html>\n";
}

}  // namespace kerfel
