#include <cstdio>

#include "cli/cli.h"

namespace kerfel {

int RunMake(const std::vector<std::string>&) {
    std::fprintf(stderr, "kerfel make: not available in this build\n");
    return 1;
}

}  // namespace kerfel
