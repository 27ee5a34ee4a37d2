#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fprintf(stderr, "kerfel: this build has no desktop tool; see 'kerfel --help'\n");
        return 1;
    }
    return kerfel::RunCommandLine(args);
}
