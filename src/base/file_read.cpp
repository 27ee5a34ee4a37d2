#include "base/file_read.h"

#include "base/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace kerfel {

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit) {
    struct stat st;
    int fd = OpenRegularFile(path, st);
    if (fd < 0) return std::nullopt;
    FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        ::close(fd);
        return std::nullopt;
    }
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
