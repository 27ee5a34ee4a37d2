#include "engine/memory_rule.h"

#include <unistd.h>

#include <cstdio>

namespace kerfel {

unsigned long long DefaultMemoryLimit() {
    const long pages = ::sysconf(_SC_PHYS_PAGES), size = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || size <= 0) return 1ull << 31;  // unknown: assume a small machine
    return static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(size) / 2;
}

std::string MemoryText(unsigned long long bytes) {
    static const char* const units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
    double v = static_cast<double>(bytes);
    int u = 0;
    while (v >= 1024 && u < 4) {
        v /= 1024;
        ++u;
    }
    char text[32];
    if (u == 0) std::snprintf(text, sizeof text, "%llu bytes", bytes);
    else std::snprintf(text, sizeof text, v < 10 ? "%.1f %s" : "%.0f %s", v, units[u]);
    return text;
}

Status CheckMemoryRule(const std::string& path, unsigned long long needed, unsigned long long limit) {
    if (limit == 0) limit = DefaultMemoryLimit();
    if (needed <= limit) return Status::Ok();
    return Status::Output(path + ": the picture cannot be decoded in bands (progressive coding or a turned "
                                 "orientation) and would need " + MemoryText(needed) +
                          " of memory, more than the limit of " + MemoryText(limit));
}

Status CheckStripMemory(const std::string& path, unsigned width) {
    // Two strips a tile high per level, the levels together twice the
    // width, three bytes a pixel; and a few 16-bit rows of the reader.
    constexpr unsigned long long kBytesPerColumn = 2 * 2 * 256 * 3 + 64;
    const unsigned long long limit = DefaultMemoryLimit(), needed = kBytesPerColumn * width;
    if (needed <= limit) return Status::Ok();
    return Status::Output(path + ": a picture " + std::to_string(width) + " pixels wide would need " +
                          MemoryText(needed) + " of memory for its strips, more than the limit of " + MemoryText(limit));
}

}  // namespace kerfel
