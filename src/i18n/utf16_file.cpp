#include "i18n/utf16_file.h"

#include "base/file_read.h"

namespace kerfel {

std::u16string ReadUtf16File(const std::string& path) {
    // A folder, a missing file or a failed read gives an empty text.
    std::string bytes = ReadWholeFile(path).value_or(std::string());
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (unit == 0) break;
        text += unit;
    }
    return text;
}

}  // namespace kerfel
