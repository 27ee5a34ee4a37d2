#include "base/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/file_read.h"
#include "base/path.h"

namespace kerfel {
namespace {

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

namespace {

// Gives the written temporary its mode, flushes it when asked, closes it and
// renames it over `path`; 0, or the errno of the failure, when the
// temporary is gone.
int Commit(int fd, const std::string& tmp, const std::string& path, const ReplaceOptions& o) {
    mode_t mode = PublishedFileMode();
    struct stat st {};
    if (o.keepMode) mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : o.newFileMode;
    bool ok = ::fchmod(fd, mode) == 0 && (!o.durable || ::fsync(fd) == 0);
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
        return err;
    }
    if (o.durable) {
        // The rename itself reaches the disk with the folder's entry.
        int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return 0;
}

// For a file that does not exist yet: written as an unnamed file in its
// folder and given its name only when complete. One change to the folder
// instead of two (create, then rename) matters for the tens of thousands of
// tiles of a job written by several threads into one folder, and a killed
// writer leaves nothing behind. False, with nothing written, when the name is
// taken or the system cannot do this: the caller then uses a hidden
// temporary.
bool LinkCompleteFile(const std::string& path, const void* data, size_t size) {
    // The mode is the umask's, as open() gives a new file.
    int fd = ::open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool linked = false;
    if (WriteAll(fd, data, size)) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
    }
    // A close that fails after the link leaves a named file whose data may
    // be incomplete: take the name back.
    if (::close(fd) != 0 && linked) {
        ::unlink(path.c_str());
        linked = false;
    }
    return linked;
}

}  // namespace

Status ReplaceFile(const std::string& path, const void* data, size_t size, const ReplaceOptions& options) {
    if (!options.durable && !options.keepMode && LinkCompleteFile(path, data, size)) return Status::Ok();
    std::string tmp;
    int fd = OpenHiddenTemp(path, tmp);
    if (fd < 0) return OutputError(path, errno);
    if (!WriteAll(fd, data, size)) {
        int err = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        return OutputError(path, err);
    }
    int err = Commit(fd, tmp, path, options);
    return err ? OutputError(path, err) : Status::Ok();
}

Status MakeHiddenTempFile(const std::string& finalPath, std::string& tempPath) {
    int fd = OpenHiddenTemp(finalPath, tempPath);
    if (fd < 0) return Status::Output(finalPath + ": cannot be written: " + std::strerror(errno));
    ::close(fd);
    return Status::Ok();
}

Status CommitTempFile(const std::string& tempPath, const std::string& finalPath) {
    int fd = ::open(tempPath.c_str(), O_RDWR | O_CLOEXEC);
    int err = fd < 0 ? errno : 0;
    if (fd < 0) ::unlink(tempPath.c_str());
    ReplaceOptions durable;
    durable.durable = true;
    if (fd >= 0) err = Commit(fd, tempPath, finalPath, durable);
    return err ? Status::Output(finalPath + ": cannot be written: " + std::strerror(err)) : Status::Ok();
}

Status CopyFileAtomically(const std::string& from, const std::string& to) {
    std::optional<std::string> bytes = ReadWholeFile(from);
    if (!bytes) return Status::Bad(from + ": " + std::strerror(errno ? errno : EINVAL));
    return ReplaceFile(to, bytes->data(), bytes->size());
}

Status LinkAtomically(const std::string& existing, const std::string& path) {
    if (::link(existing.c_str(), path.c_str()) == 0) return Status::Ok();
    if (errno == EEXIST) {
        // A job written again into its folder: the new tile replaces the old
        // under a hidden name first, so a reader sees one or the other.
        std::string tmp;
        int fd = OpenHiddenTemp(path, tmp);
        if (fd < 0) return OutputError(path, errno);
        ::close(fd);
        ::unlink(tmp.c_str());
        if (::link(existing.c_str(), tmp.c_str()) == 0) {
            if (::rename(tmp.c_str(), path.c_str()) == 0) return Status::Ok();
            const int err = errno;
            ::unlink(tmp.c_str());
            return OutputError(path, err);
        }
    }
    if (errno == EPERM || errno == EXDEV || errno == EMLINK || errno == EOPNOTSUPP) {
        Status s = CopyFileAtomically(existing, path);
        if (s.fault == Fault::BadInput) return Status::Output(s.message);
        return s;
    }
    return OutputError(path, errno);
}

}  // namespace kerfel
