#include "cli/cli_spec.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "cli/cli.h"

namespace kerfel {
namespace {

// A whole number of at most nine digits: no sign, no blanks, no exponent.
const CLI::Validator kWholeNumber(
    [](std::string& s) {
        const bool ok = !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == std::string::npos;
        return ok ? std::string() : std::string("needs a whole number");
    },
    "");

// An address a viewer elsewhere can fetch: http or https, a host, and
// nothing a JSON file or a URL would have to escape. Trailing slashes go: the
// tiles' paths are joined on with one.
const CLI::Validator kAbsoluteHttp(
    [](std::string& s) {
        const std::string bad = "needs an absolute http:// or https:// address";
        const size_t scheme = s.rfind("https://", 0) == 0 ? 8 : s.rfind("http://", 0) == 0 ? 7 : 0;
        if (scheme == 0 || s.size() == scheme || s[scheme] == '/') return bad;
        for (unsigned char c : s)
            if (c <= ' ' || c >= 0x7f || c == '"' || c == '\\' || c == '<' || c == '>') return bad;
        while (s.size() > scheme + 1 && s.back() == '/') s.pop_back();
        return std::string();
    },
    "");

const CLI::Validator kNotEmpty([](std::string& s) { return s.empty() ? std::string("needs a value") : std::string(); },
                               "");

// The command line's own words: positionals with no type shown, values
// named by what they hold (the completion reads these names too).
CLI::Option* Positional(CLI::App& app, const char* name, std::string& into, const char* what) {
    return app.add_option(name, into, what)->required()->type_name("");
}

void Common(CLI::App& app, const char* description) {
    app.description(description);
    app.set_help_flag("-h,--help", "Print this help and exit");
}

void LayoutOption(CLI::App& app, std::string& into) {
    std::string names;
    for (const std::string& name : LayoutNames()) names += (names.empty() ? "" : ", ") + name;
    app.add_option("--layout", into,
                   "How the tiles and descriptor lie on disk: " + names + " (default " + NativeLayout().name + ")")
        ->type_name("LAYOUT")
        ->check(CLI::IsMember(LayoutNames()).description(""));
}

// --tile-size and --overlap; the checks against the layout come after parsing.
void TileOptions(CLI::App& app, int& tileSize, int& overlap) {
    app.add_option("--tile-size", tileSize,
                   "Pixels of a tile's side, " + std::to_string(kMinTileSize) + " to " + std::to_string(kMaxTileSize) +
                       " (default: the layout's, 256)")
        ->type_name("N")
        ->check(kWholeNumber);
    app.add_option("--overlap", overlap,
                   "Pixels a tile repeats of each neighbour, below the tile size\n"
                   "(default: the layout's; dzi 1, the others 0)")
        ->type_name("N")
        ->check(kWholeNumber);
}

}  // namespace

void DescribeInfo(CLI::App& app, InfoOptions& o) {
    Common(app, "Print the sizes of IMAGE.jpg's zoom levels, its tile count and the levels to zoom in\n"
                "it offers.");
    Positional(app, "IMAGE.jpg", o.image, "The picture to inspect: JPEG, TIFF (BigTIFF too) or PNG");
    app.add_flag("--json", o.json, "One JSON object: width, height, format, levels, total_tiles, levels_list");
    LayoutOption(app, o.layout);
    TileOptions(app, o.tileSize, o.overlap);
}

void DescribeMake(CLI::App& app, MakeOptions& o) {
    Common(app,
           "Cut IMAGE.jpg into a pyramid of JPEG tiles in OUTPUT_FOLDER/NAME with a descriptor and the\n"
           "browser viewer index.html beside them; in the native layout 256 x 256 tiles in Images and\n"
           "the descriptor ImageKerfel.xml.");
    Positional(app, "IMAGE.jpg", o.image, "The picture to publish: JPEG, TIFF (BigTIFF too) or PNG");
    Positional(app, "OUTPUT_FOLDER", o.output,
               "An existing folder; the job folder is made in it\n"
               "(\"-\": the archive of --szi to standard output)");
    app.add_option("--levels", o.levels, "Levels to zoom in: one of the levels list of 'kerfel info' (default 1)")
        ->type_name("K")
        ->check(kWholeNumber);
    app.add_flag("--small-map", o.smallMap, "Show the small map (navigator)");
    app.add_flag("--navigation-scroll", o.navigationScroll, "Show the pan buttons");
    app.add_flag("--zoom-slider", o.zoomSlider, "Show the zoom slider");
    app.add_flag("--click-to-zoom", o.clickToZoom, "Zoom in where the picture is clicked");
    app.add_option("--music", o.music, "Copy FILE into the job as bgmusic.mp3 and play it, looped")
        ->type_name("FILE");
    app.add_flag("--overwrite", o.overwrite, "Write into an existing job folder, replace an existing archive");
    app.add_option("--zip", o.zip, "Also pack the finished job into ARCHIVE")->type_name("ARCHIVE");
    app.add_flag("--szi", o.szi,
                 "Write the job as one archive, OUTPUT_FOLDER/NAME.szi (a ZIP of stored\n"
                 "entries), with index.html beside it, which reads its tiles by range");
    app.add_flag("--quiet", o.quiet, "No progress bar and no summary line");
    app.add_flag("--accept-damaged", o.acceptDamaged,
                 "Publish a JPEG whose data is cut short or corrupt as far as it goes, with a\n"
                 "warning of the rows lost (default: such a picture fails the job)");
    LayoutOption(app, o.layout);
    app.add_option("--id", o.id,
                   "The address the IIIF layouts are published at, their base URI (an absolute\n"
                   "http:// or https:// address; default: a placeholder to replace)")
        ->type_name("URL")
        ->check(kAbsoluteHttp);
    TileOptions(app, o.tileSize, o.overlap);
    app.add_option("--quality", o.quality, "JPEG quality of the tiles, 1 to 100 (default 70)")
        ->type_name("Q")
        ->check(kWholeNumber);
    app.add_option("--threads", o.threads, "Tile encoders to run at once (default 0: one per core)")
        ->type_name("N")
        ->check(kWholeNumber)
        ->check(CLI::Range(0, 1024).description(""));
    app.add_option("--memory-limit", o.memoryLimit,
                   "Most memory a picture that cannot be streamed may take,\n"
                   "e.g. 512M or 4G (default 0: half the machine's memory)")
        ->type_name("SIZE")
        ->transform(CLI::Validator(
            [](std::string& s) {
                unsigned long long bytes = 0;
                if (!ParseByteSize(s, bytes)) return std::string("needs a size such as 512M or 4G");
                s = std::to_string(bytes);
                return std::string();
            },
            ""));
}

void DescribeExport(CLI::App& app, ExportOptions& o) {
    Common(app, "Pack JOB_FOLDER into the ZIP archive ARCHIVE, its entries named relative to the\n"
                "root folder; a job made as one archive (NAME.szi) is copied as it is.");
    Positional(app, "JOB_FOLDER", o.jobFolder,
               "A job folder made by 'kerfel make' or the desktop tool, or a job's NAME.szi");
    Positional(app, "ARCHIVE", o.archive, "The ZIP archive to write");
    app.add_option("--root", o.root, "Name the entries relative to FOLDER (default: the job folder's parent)")
        ->type_name("FOLDER")
        ->check(kNotEmpty);
    app.add_flag("--overwrite", o.overwrite, "Replace an existing archive");
}

const Layout& ChosenLayout(const std::string& name) {
    const Layout* layout = FindLayout(name);
    return layout ? *layout : NativeLayout();
}

const Layout& ChosenLayout(const std::string& name, int tileSize, int overlap, std::string& refusal) {
    const Layout& layout = ChosenLayout(name);
    const unsigned size = tileSize < 0 ? layout.tileSize : static_cast<unsigned>(tileSize);
    const unsigned over = overlap < 0 ? layout.overlap : static_cast<unsigned>(overlap);
    refusal = TilesRefusal(layout, size, over);
    return refusal.empty() ? WithTiles(layout, size, over) : NativeLayout();
}

std::string QualityRefusal(int quality) {
    if (quality >= 1 && quality <= 100) return {};
    return "--quality " + std::to_string(quality) + " is outside 1 to 100";
}

std::vector<std::string> LayoutNames() {
    std::vector<std::string> names;
    for (const Layout* layout : Layouts()) names.push_back(layout->name);
    return names;
}

const std::vector<std::string>& CommandNames() {
    static const std::vector<std::string> names = {"info", "make", "export"};
    return names;
}

std::unique_ptr<CLI::App> CommandParser(const std::string& command) {
    // The options are owned by the parser, so help and completion can use it alone.
    struct Parser : CLI::App {
        using CLI::App::App;
        InfoOptions info;
        MakeOptions make;
        ExportOptions exp;
    };
    auto app = std::make_unique<Parser>("", "kerfel " + command);
    if (command == "info") DescribeInfo(*app, app->info);
    else if (command == "make") DescribeMake(*app, app->make);
    else if (command == "export") DescribeExport(*app, app->exp);
    else return nullptr;
    return app;
}

int ParseCommand(CLI::App& app, const std::vector<std::string>& args) {
    std::vector<const char*> argv = {app.get_name().c_str()};
    for (const auto& a : args) argv.push_back(a.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::ParseError& e) {
        return UsageError(app.get_name().c_str(), e.what());  // named "kerfel COMMAND"
    }
    return -1;
}

std::string Synopsis(const CLI::App& app) {
    std::vector<std::string> words = {app.get_name()};
    for (const CLI::Option* opt : app.get_options()) {
        if (opt == app.get_help_ptr()) continue;
        if (!opt->nonpositional()) words.push_back(opt->get_name(true));
        else if (opt->get_items_expected_max() == 0) words.push_back("[" + opt->get_name() + "]");
        else words.push_back("[" + opt->get_name() + " " + opt->get_type_name() + "]");
    }
    // Continuation lines start under the first argument.
    const std::string indent(app.get_name().size() + 1, ' ');
    std::string text, line;
    for (const auto& w : words) {
        if (!line.empty() && line.size() + 1 + w.size() > 96) {
            text += line + "\n";
            line = indent;
        } else if (!line.empty() && line != indent) {
            line += " ";
        }
        line += w;
    }
    return text + line + "\n";
}

bool ParseByteSize(const std::string& text, unsigned long long& bytes) {
    const size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
    if (digits == 0 || digits > 19) return false;
    std::string unit = text.substr(digits);
    for (char& c : unit) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const std::pair<const char*, int> kUnits[] = {{"", 0}, {"B", 0}, {"K", 10}, {"KB", 10}, {"KIB", 10},
                                                         {"M", 20}, {"MB", 20}, {"MIB", 20}, {"G", 30}, {"GB", 30},
                                                         {"GIB", 30}, {"T", 40}, {"TB", 40}, {"TIB", 40}};
    for (const auto& [name, shift] : kUnits) {
        if (unit != name) continue;
        const unsigned long long n = std::stoull(text.substr(0, digits));
        if (n > (1ULL << (63 - shift))) return false;
        bytes = n << shift;
        return true;
    }
    return false;
}

}  // namespace kerfel
