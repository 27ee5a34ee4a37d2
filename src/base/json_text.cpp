#include "base/json_text.h"

#include <cstdio>

namespace kerfel {

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') out += {'\\', static_cast<char>(c)};
        else if (c < 0x20 || c == '<') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else out += static_cast<char>(c);
    }
    return out + "\"";
}

}  // namespace kerfel
