#pragma once
// The headless command line: `kerfel info|make|export ...`.
#include <string>
#include <vector>

namespace kerfel {

struct Status;

// Whether `kerfel WORD ...` runs headless: a command or an option, as
// opposed to a photo to open in the desktop tool.
bool IsCommand(const std::string& word);

// Runs one command; returns the process's exit status (0 done, 1 usage,
// 2 bad input, 3 output not written, 130 interrupted).
int RunCommandLine(const std::vector<std::string>& args);

int RunInfo(const std::vector<std::string>& args);
int RunMake(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);

// Prints "<who>: <message>" as exactly one line on stderr (control
// characters of file names escaped) and returns the exit status of the fault.
int ReportError(const Status& status, const char* who = "kerfel");

// Prints "<who>: <refusal>" as one line on stderr, then "Try 'kerfel help
// COMMAND'." for a `who` of "kerfel COMMAND", and returns 1: arguments that
// do not parse, or options that parse but cannot go together.
int UsageError(const char* who, const std::string& refusal);

// `text` with line breaks and other control characters escaped, so that a
// file name cannot break or forge lines of the tool's output.
std::string OneLine(const std::string& text);

// Usage text, printed on a usage error and by `kerfel help`.
const std::string& UsageText();

}  // namespace kerfel
