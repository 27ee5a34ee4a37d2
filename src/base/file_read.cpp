#include "base/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace kerfel {

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit) {
    // Without blocking on the open, a named pipe or a device at the path
    // would hold the caller (often the user-interface thread) forever.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return std::nullopt;
    }
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
