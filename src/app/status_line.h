#pragma once
// What the status line says, kept as what happened rather than as text, so
// that it can be said again in another language the moment the user
// switches.
#include <functional>
#include <optional>
#include <string>

namespace kerfel {

struct StatusLine {
    enum class Form {
        Blank,         // " ": no job, nothing to tell
        Literal,       // `text` as it stands (a fixed English text)
        Text,          // the text of key `text`
        TextThenPath,  // the text of key `text` followed by `path`
        Formatted,     // the format text of key `text` filled with `number` (if any) and `path` (if any)
    };
    Form form = Form::Blank;
    std::string text;
    std::string path;
    std::optional<int> number;

    static StatusLine Blank() { return {}; }
    static StatusLine Literal(std::string t) { return {Form::Literal, std::move(t), {}, {}}; }
    static StatusLine Key(std::string key) { return {Form::Text, std::move(key), {}, {}}; }
    static StatusLine KeyThenPath(std::string key, std::string p) { return {Form::TextThenPath, std::move(key), std::move(p), {}}; }
    static StatusLine Format(std::string key, std::string p = {}, std::optional<int> n = {}) {
        return {Form::Formatted, std::move(key), std::move(p), n};
    }
};

// The line in the language loaded now.
std::string SayStatus(const StatusLine& line);

// The line as SayStatus says it, made to fit `width` as `widthOf` measures
// text. Only the path gives way: characters leave its middle for an
// ellipsis, so its start and its last part (the folder a job wrote) stay
// readable; the last part loses its own start only when nothing else is
// left. A line without a path is said whole.
std::string SayStatusWithin(const StatusLine& line, int width, const std::function<int(const std::string&)>& widthOf);

}  // namespace kerfel
