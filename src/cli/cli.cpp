#include "cli/cli.h"

#include <cstdio>
#include <string>

#include "base/status.h"

namespace kerfel {

const char* UsageText() {
    return "usage:\n"
           "  kerfel                      start the desktop tool\n"
           "  kerfel info IMAGE.jpg [--json]\n"
           "  kerfel make IMAGE.jpg OUTPUT_FOLDER [--levels K] [--small-map] [--navigation-scroll]\n"
           "              [--zoom-slider] [--click-to-zoom] [--music FILE] [--overwrite]\n"
           "              [--zip ARCHIVE] [--quiet]\n"
           "  kerfel export JOB_FOLDER ARCHIVE [--root FOLDER] [--overwrite]\n";
}

std::string OneLine(const std::string& text) {
    std::string line;
    for (unsigned char c : text) {
        if (c == '\n') line += "\\n";
        else if (c < 0x20 || c == 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02x", c);
            line += esc;
        } else line += static_cast<char>(c);
    }
    return line;
}

int ReportError(const Status& status, const char* who) {
    std::fprintf(stderr, "%s: %s\n", who, OneLine(status.message).c_str());
    return ExitCode(status);
}

int RunCommandLine(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(UsageText(), args.empty() ? stderr : stdout);
        return args.empty() ? 1 : 0;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "info") return RunInfo(rest);
    if (args[0] == "make") return RunMake(rest);
    if (args[0] == "export") return RunExport(rest);
    std::fprintf(stderr, "kerfel: unknown command '%s'\n", OneLine(args[0]).c_str());
    std::fputs(UsageText(), stderr);
    return 1;
}

}  // namespace kerfel
