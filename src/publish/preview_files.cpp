#include "publish/preview_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/path.h"
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
    std::string rows;
    for (const DescriptorField& f : DescriptorFields(v))
        rows += "<tr><th>" + f.name + "</th><td>" + HtmlEscape(f.text) + "</td></tr>\n";
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + HtmlEscape(title) +
           "</title>\n<style>body{font-family:sans-serif;background:#fff}th{text-align:left;padding-right:1em}</style>"
           "</head><body>\n<h3>" + HtmlEscape(title) + "</h3>\n<table>\n" + rows + "</table>\n</body></html>\n";
}

}  // namespace kerfel
