#include "app/status_line.h"

#include <vector>

#include "i18n/format_text.h"
#include "i18n/language_table.h"

namespace kerfel {
namespace {

// Where each character of a UTF-8 text starts, then the text's size.
std::vector<size_t> CharacterStarts(const std::string& text) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    starts.push_back(text.size());
    return starts;
}

// The character at which the path's last part starts, its slash included.
size_t LastPartStart(const std::string& path, const std::vector<size_t>& starts) {
    const size_t slash = path.size() < 2 ? std::string::npos : path.rfind('/', path.size() - 2);
    if (slash == std::string::npos) return 0;
    size_t c = 0;
    while (starts[c] < slash) ++c;
    return c;
}

// `path` with `cut` characters replaced by an ellipsis: from the middle,
// moved towards the start where the middle would reach the last part.
std::string WithoutCharacters(const std::string& path, const std::vector<size_t>& starts, size_t lastPart, size_t cut) {
    const size_t count = starts.size() - 1;
    size_t from = (count - cut) / 2;
    if (from + cut > lastPart) from = lastPart > cut ? lastPart - cut : 0;
    return path.substr(0, starts[from]) + "\xE2\x80\xA6" + path.substr(starts[from + cut]);  // U+2026 …
}

}  // namespace

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

std::string SayStatusWithin(const StatusLine& line, int width, const std::function<int(const std::string&)>& widthOf) {
    const std::string whole = SayStatus(line);
    if (line.path.empty() || widthOf(whole) <= width) return whole;
    const std::vector<size_t> starts = CharacterStarts(line.path);
    const size_t lastPart = LastPartStart(line.path, starts);
    StatusLine shorter = line;
    auto sayWithout = [&](size_t cut) {
        shorter.path = WithoutCharacters(line.path, starts, lastPart, cut);
        return SayStatus(shorter);
    };
    // About the fewest characters to take out, found by halving; taking out
    // every one is the last resort.
    size_t fits = starts.size() - 1, tooFew = 0;
    while (fits - tooFew > 1) {
        const size_t cut = tooFew + (fits - tooFew) / 2;
        if (widthOf(sayWithout(cut)) <= width) fits = cut;
        else tooFew = cut;
    }
    return sayWithout(fits);
}

}  // namespace kerfel
