#pragma once
// Runs the built `kerfel` executable as a user would, capturing its output.
#include <string>
#include <vector>

namespace clitest {

struct Result {
    int status = -1;   // exit status
    std::string out;   // standard output
    std::string err;   // standard error
};

// Arguments are passed as they are (no shell); `timeoutSeconds` bounds the run.
Result Run(const std::vector<std::string>& args, int timeoutSeconds = 120);

}  // namespace clitest
