#include "i18n/format_text.h"

namespace kerfel {

std::string FormatText(std::string_view format, std::initializer_list<TextArg> args) {
    std::string out;
    out.reserve(format.size() + 32);
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        char kind = i + 1 < format.size() ? format[i + 1] : '\0';
        if (c != '%' || (kind != '%' && kind != 'd' && kind != 's')) {
            out += c;  // also a "%" that starts no known placeholder
            continue;
        }
        ++i;
        if (kind == '%') {
            out += '%';
        } else if (next == args.end()) {
            out += '%';
            out += kind;
        } else {
            const TextArg& arg = *next++;
            if (arg.IsInteger() == (kind == 'd')) {
                out += arg.Text();
            } else {
                out += '%';
                out += kind;
            }
        }
    }
    return out;
}

}  // namespace kerfel
