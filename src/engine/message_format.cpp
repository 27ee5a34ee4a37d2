#include "engine/message_format.h"

#include <cstring>

namespace kerfel {
namespace {

std::string ArgText(const FormatArg& a) {
    if (const auto* n = std::get_if<long long>(&a)) return std::to_string(*n);
    return std::get<std::string>(a);
}

}  // namespace

std::string FormatMessageText(const std::string& format, const std::vector<FormatArg>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        size_t j = i + 1;
        if (j < format.size() && format[j] == '%') {
            out += '%';
            i = j;
            continue;
        }
        while (j < format.size() && std::strchr("-+ #0123456789.hlLqjzt", format[j])) ++j;
        if (j < format.size() && std::strchr("diuxXsScC", format[j])) {
            if (next < args.size()) out += ArgText(args[next]);
            ++next;
            i = j;
        } else {
            out += '%';  // not a conversion: keep the text as the translator wrote it
        }
    }
    return out;
}

}  // namespace kerfel
