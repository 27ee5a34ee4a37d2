#include "engine/file_read.h"

#include <cstdio>

namespace kerfel {

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string bytes;
    char buf[65536];
    std::size_t n;
    while (bytes.size() <= limit && (n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    return bytes;
}

}  // namespace kerfel
