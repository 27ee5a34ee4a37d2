#pragma once
// The one description of the command line: every command with its
// arguments and options. Parsing, `--help`, `kerfel help COMMAND`, the usage
// text and the bash completion are all made from it.
#include <CLI/App.hpp>

#include <memory>
#include <string>
#include <vector>

#include "engine/layout.h"

namespace kerfel {

struct InfoOptions {
    std::string image;
    bool json = false;
    std::string layout;  // a layout's name; empty: the native one
    int tileSize = -1, overlap = -1;  // -1: the layout's
};

struct MakeOptions {
    std::string image, output, music, zip;
    int levels = 1;
    bool smallMap = false, navigationScroll = false, zoomSlider = false, clickToZoom = false;
    bool overwrite = false, quiet = false;
    bool szi = false;                     // one archive instead of a job folder
    bool acceptDamaged = false;           // publish a JPEG whose data is cut short or corrupt
    int threads = 0;                      // 0: every core
    unsigned long long memoryLimit = 0;   // bytes; 0: half the machine's memory
    std::string layout;                   // a layout's name; empty: the native one
    std::string id;                       // the published image's address; empty: a placeholder
    int tileSize = -1, overlap = -1;      // -1: the layout's
    int quality = 70;                     // of the tiles' JPEG
};

struct ExportOptions {
    std::string jobFolder, archive, root;
    bool overwrite = false;
};

// One command's arguments and options, bound to the fields of its options.
void DescribeInfo(CLI::App& app, InfoOptions& o);
void DescribeMake(CLI::App& app, MakeOptions& o);
void DescribeExport(CLI::App& app, ExportOptions& o);

// A parser for one command, named "kerfel COMMAND"; nullptr for an unknown
// command. The options it binds live as long as the parser.
std::unique_ptr<CLI::App> CommandParser(const std::string& command);
// The names of every command, in the order the usage text lists them.
const std::vector<std::string>& CommandNames();

// Parses a command's arguments. Returns -1 when the command should run;
// otherwise the exit status, having printed the help (0, on stdout) or the
// usage error (UsageError in cli/cli.h: 1, on stderr).
int ParseCommand(CLI::App& app, const std::vector<std::string>& args);

// "kerfel make IMAGE.jpg OUTPUT_FOLDER [--levels K] ...", wrapped to 100
// columns with continuation lines indented under the first argument.
std::string Synopsis(const CLI::App& app);

// The bytes of a size such as "512M", "4G" or "300000000" (K, M, G and T
// are powers of 1024, in either case; a trailing "B" or "iB" is allowed).
// Returns false for anything else, or a size beyond 2^63 bytes.
bool ParseByteSize(const std::string& text, unsigned long long& bytes);

// The layout `--layout` named (which the parser has checked), the native one
// when it named none.
const Layout& ChosenLayout(const std::string& name);
// The same with the tiles `--tile-size` and `--overlap` chose (-1: the
// layout's own); when the layout cannot take them, the native layout and
// `refusal` says why in one line.
const Layout& ChosenLayout(const std::string& name, int tileSize, int overlap, std::string& refusal);
// Why `--quality` cannot be taken, or empty.
std::string QualityRefusal(int quality);
// Every layout's name, as `--layout` takes them.
std::vector<std::string> LayoutNames();

// The bash completion script for `kerfel`: commands, options, and file or
// folder names where an argument names one.
std::string BashCompletionScript();

}  // namespace kerfel
