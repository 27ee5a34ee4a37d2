#pragma once
// The headless command line: `kerfel info|make|export ...`.
#include <string>
#include <vector>

namespace kerfel {

// Runs one command; returns the process's exit status (0 done, 1 usage,
// 2 bad input, 3 output not written, 130 interrupted).
int RunCommandLine(const std::vector<std::string>& args);

int RunInfo(const std::vector<std::string>& args);
int RunMake(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);

// Usage text, printed on a usage error.
const char* UsageText();

}  // namespace kerfel
