#include "base/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/file_read.h"

namespace kerfel {
namespace {

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

// A private file beside `path` under a hidden name (readers and archives pass
// such names over): its descriptor, or -1 with errno set.
int OpenHiddenTemp(const std::string& path, std::string& tempPath) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string pattern = folder + "." + base + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) tempPath = name.data();
    return fd;
}

}  // namespace

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

Status WriteFileAtomically(const std::string& path, const void* data, size_t size) {
    // Not flushed to disk: a job writes thousands of tiles, and a crash
    // leaves at worst a hidden temporary, never a broken tile.
    std::string tmp;
    int fd = OpenHiddenTemp(path, tmp);
    if (fd < 0) return OutputError(path, errno);
    // mkstemp makes the file private; the job folder is meant to be published.
    ::fchmod(fd, PublishedFileMode());
    bool ok = WriteAll(fd, data, size);
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        return OutputError(path, err);
    }
    return Status::Ok();
}

Status MakeHiddenTempFile(const std::string& finalPath, std::string& tempPath) {
    int fd = OpenHiddenTemp(finalPath, tempPath);
    if (fd < 0) return Status::Output(finalPath + ": cannot be written: " + std::strerror(errno));
    ::close(fd);
    return Status::Ok();
}

Status CommitTempFile(const std::string& tempPath, const std::string& finalPath) {
    auto fail = [&](int err) {
        ::unlink(tempPath.c_str());
        return Status::Output(finalPath + ": cannot be written: " + std::strerror(err));
    };
    int fd = ::open(tempPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    if (::fchmod(fd, PublishedFileMode()) != 0 || ::fsync(fd) != 0) {
        int err = errno;
        ::close(fd);
        return fail(err);
    }
    if (::close(fd) != 0) return fail(errno);
    if (std::rename(tempPath.c_str(), finalPath.c_str()) != 0) return fail(errno);
    return Status::Ok();
}

Status CopyFileAtomically(const std::string& from, const std::string& to) {
    std::optional<std::string> bytes = ReadWholeFile(from);
    if (!bytes) return Status::Bad(from + ": " + std::strerror(errno ? errno : EINVAL));
    return WriteFileAtomically(to, bytes->data(), bytes->size());
}

}  // namespace kerfel
