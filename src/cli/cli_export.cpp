#include <cstdio>

#include "cli/cli.h"

namespace kerfel {

int RunExport(const std::vector<std::string>&) {
    std::fprintf(stderr, "kerfel export: not available in this build\n");
    return 1;
}

}  // namespace kerfel
