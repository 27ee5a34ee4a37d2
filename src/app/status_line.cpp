#include "app/status_line.h"

#include "i18n/format_text.h"
#include "i18n/language_table.h"

namespace kerfel {

std::string SayStatus(const StatusLine& line) {
    using Form = StatusLine::Form;
    switch (line.form) {
        case Form::Blank: return " ";
        case Form::Literal: return line.text;
        case Form::Text: return GetLanguageText(line.text);
        case Form::TextThenPath: return GetLanguageText(line.text) + line.path;
        case Form::Formatted: {
            const std::string format = GetLanguageText(line.text);
            if (line.number) return FormatText(format, {*line.number, line.path});
            if (!line.path.empty()) return FormatText(format, {line.path});
            return FormatText(format, {});
        }
    }
    return " ";
}

}  // namespace kerfel
