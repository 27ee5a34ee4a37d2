#include "i18n/version_text.h"

#include <cctype>

namespace kerfel {

std::string VersionLine(const std::string& text, const std::string& version) {
    const size_t end = text.find_last_not_of(' ');
    if (end == std::string::npos) return text;
    const size_t start = text.find_last_of(' ', end) + 1;  // npos + 1 == 0
    const bool numbered = std::isdigit(static_cast<unsigned char>(text[start])) &&
                          text.find_first_not_of("0123456789.", start) > end;
    return numbered ? text.substr(0, start) + version : text.substr(0, end + 1) + " " + version;
}

}  // namespace kerfel
