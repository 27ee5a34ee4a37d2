#include "engine/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace kerfel {
namespace {

// write() until done; false with errno set on failure.
bool WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

Status OutputError(const std::string& path, int err) { return Status::Output(path + ": " + std::strerror(err)); }

Status WriteWholeFile(const std::string& path, const void* data, size_t size) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return OutputError(path, errno);
    bool ok = WriteAll(fd, data, size);
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(path.c_str());  // a partial file would pass for a tile
        return OutputError(path, err);
    }
    return Status::Ok();
}

// The mode a plain open(..., 0666) would give: what the user's umask allows.
// Read from /proc rather than by setting the umask, which would race with
// other threads creating files.
mode_t PublishedFileMode() {
    static const mode_t mode = [] {
        mode_t mask = 022;
        if (FILE* f = std::fopen("/proc/self/status", "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, f))
                if (std::sscanf(line, "Umask: %o", &mask) == 1) break;
            std::fclose(f);
        }
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

Status WriteFileAtomically(const std::string& path, const void* data, size_t size) {
    // A hidden name beside the target: readers and archives pass it over
    // until the rename makes the complete file appear.
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string tmp = folder + "." + base + ".XXXXXX";
    std::vector<char> name(tmp.begin(), tmp.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return OutputError(path, errno);
    // mkstemp makes the file private; the job folder is meant to be published.
    ::fchmod(fd, PublishedFileMode());
    bool ok = WriteAll(fd, data, size);
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(name.data(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(name.data());
        return OutputError(path, err);
    }
    return Status::Ok();
}

Status CopyFileAtomically(const std::string& from, const std::string& to) {
    FILE* f = std::fopen(from.c_str(), "rb");
    if (!f) return Status::Bad(from + ": " + std::strerror(errno));
    std::vector<char> bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    bool readError = std::ferror(f);
    int err = errno;
    std::fclose(f);
    if (readError) return Status::Bad(from + ": " + std::strerror(err));
    return WriteFileAtomically(to, bytes.data(), bytes.size());
}

}  // namespace kerfel
