#pragma once
// Language files supply printf-style formats ("%d", "%s"). A translator's
// typo must never crash the tool or read arguments that were not given, so
// formats are filled here, by position, instead of by printf.
#include <string>
#include <variant>
#include <vector>

namespace kerfel {

using FormatArg = std::variant<long long, std::string>;

// Fills each conversion (%d %i %u %s, with any flags, width or length
// modifier) with the next argument, whatever its type; "%%" is one percent
// sign. Conversions beyond the arguments give nothing; unknown ones are kept
// as written.
std::string FormatMessageText(const std::string& format, const std::vector<FormatArg>& args);

}  // namespace kerfel
