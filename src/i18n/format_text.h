#pragma once
// Fills a format text from a language file with its caller's arguments.
//
// Format texts are written by translators, so they are never handed to
// printf: a typo must neither crash the tool nor read arguments that were
// not passed. Usage:
//
//   std::string line = kerfel::FormatText(
//       kerfel::GetLanguageText("KERFELDIALOG.GENERATETAILS.STATICTEXT_GMFLEVEL"),
//       {level, tilePath});          // an int and a std::string
//
// Rules:
//   "%d"  takes the next argument, which must be an integer;
//   "%s"  takes the next argument, which must be a string;
//   "%%"  is one percent sign.
// Every placeholder takes the next argument in order. One whose argument is
// of the other kind is shown literally (its argument is still taken, so later
// placeholders keep their own arguments); one beyond the last argument is
// shown literally; anything else after a "%" ("%n", "%5d", "%x", a "%" at the
// end) is shown literally. Arguments left over are ignored.
#include <concepts>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kerfel {

class TextArg {
public:
    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    TextArg(T value) : m_bInteger(true), m_text(std::to_string(value)) {}
    TextArg(std::string value) : m_bInteger(false), m_text(std::move(value)) {}
    TextArg(std::string_view value) : m_bInteger(false), m_text(value) {}
    TextArg(const char* value) : m_bInteger(false), m_text(value ? value : "") {}

    bool IsInteger() const { return m_bInteger; }
    const std::string& Text() const { return m_text; }

private:
    bool m_bInteger;
    std::string m_text;  // an integer already in decimal
};

std::string FormatText(std::string_view format, std::initializer_list<TextArg> args);

}  // namespace kerfel
