// Writes the bash completion of `kerfel` to stdout; run by the build.
#include <cstdio>

#include "cli/cli_spec.h"

int main() {
    std::fputs(kerfel::BashCompletionScript().c_str(), stdout);
    return 0;
}
