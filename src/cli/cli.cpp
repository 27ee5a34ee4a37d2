#include "cli/cli.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "base/status.h"
#include "base/version.h"
#include "cli/cli_spec.h"

namespace kerfel {
namespace {

int Help(const std::vector<std::string>& topics) {
    if (topics.empty()) {
        std::fputs(UsageText().c_str(), stdout);
        std::fputs("\n'kerfel help COMMAND' (or 'kerfel COMMAND --help') describes a command's options;\n"
                   "'man kerfel' tells the whole story.\n",
                   stdout);
        return 0;
    }
    auto app = CommandParser(topics[0]);
    if (!app || topics.size() > 1) {
        std::fprintf(stderr, "kerfel help: no command '%s'\n%s", OneLine(topics.back()).c_str(), UsageText().c_str());
        return 1;
    }
    std::fputs(app->help().c_str(), stdout);
    return 0;
}

}  // namespace

const std::string& UsageText() {
    static const std::string text = [] {
        std::string t = "usage:\n"
                        "  kerfel                      start the desktop tool\n"
                        "  kerfel PHOTO.jpg            start it with that photo chosen\n";
        for (const auto& name : CommandNames()) {
            std::string synopsis = Synopsis(*CommandParser(name));
            for (size_t at = 0; at < synopsis.size();) {
                size_t end = synopsis.find('\n', at);
                t += "  " + synopsis.substr(at, end + 1 - at);
                at = end + 1;
            }
        }
        return t + "  kerfel help [COMMAND]       a command's arguments and options\n"
                   "  kerfel --version\n";
    }();
    return text;
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

int UsageError(const char* who, const std::string& refusal) {
    // One line says what is wrong and one where to read more; the whole usage would bury it.
    const char* command = std::strchr(who, ' ');
    std::fprintf(stderr, "%s: %s\nTry 'kerfel help%s'.\n", who, OneLine(refusal).c_str(), command ? command : "");
    return 1;
}

bool IsCommand(const std::string& word) {
    for (const auto& name : CommandNames())
        if (word == name) return true;
    return word == "help" || (!word.empty() && word[0] == '-');
}

namespace {

int RunCommand(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fputs(UsageText().c_str(), stderr);
        return 1;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") return Help(rest);
    if (args[0] == "--version") {
        std::printf("kerfel %s\n", ProgramVersion());
        return 0;
    }
    if (args[0] == "info") return RunInfo(rest);
    if (args[0] == "make") return RunMake(rest);
    if (args[0] == "export") return RunExport(rest);
    std::fprintf(stderr, "kerfel: unknown command '%s'\nTry 'kerfel help'.\n", OneLine(args[0]).c_str());
    return 1;
}

}  // namespace

// Memory that ran out where no message could be made any more: the line is
// written as it stands, without allocating.
int RunCommandLine(const std::vector<std::string>& args) {
    try {
        return RunCommand(args);
    } catch (const std::bad_alloc&) {
        static const char kLine[] = "kerfel: not enough memory\n";
        (void)!::write(STDERR_FILENO, kLine, sizeof kLine - 1);
        return 3;
    }
}

}  // namespace kerfel
