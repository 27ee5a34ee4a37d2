#include "skin/spoken_name.h"

namespace kerfel {

std::string SpokenCaption(const std::string& caption) {
    std::string out;
    bool space = false;
    for (size_t i = 0; i < caption.size(); ++i) {
        char c = caption[i];
        if (c == '&') {
            if (i + 1 >= caption.size() || caption[i + 1] != '&') continue;
            ++i;  // "&&" is one ampersand
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            space = !out.empty();
            continue;
        }
        if (space) out += ' ';
        space = false;
        out += c;
    }
    return out;
}

std::string FieldNameFromLabel(const std::string& label) {
    std::string name = SpokenCaption(label);
    while (!name.empty() && (name.back() == ':' || name.back() == ' ')) name.pop_back();
    return name;
}

}  // namespace kerfel
