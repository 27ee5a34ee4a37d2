#include "publish/archive_copy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "base/file_write.h"
#include "base/pending_file.h"
#include "base/regular_file.h"

namespace kerfel {
namespace {

constexpr size_t kChunk = 1 << 20;

bool SameFile(const struct stat& a, const std::string& path) {
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Status Copy(int in, const std::string& from, PendingFile& out, const std::string& to,
            const std::function<bool()>& cancelled) {
    std::vector<char> buffer(kChunk);
    for (;;) {
        if (cancelled && cancelled()) return Status::Cancel();
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Status::Bad(from + ": " + std::strerror(errno));
        if (got == 0) return Status::Ok();
        if (!WriteAll(out.Fd(), buffer.data(), static_cast<size_t>(got))) return OutputError(to, errno);
    }
}

}  // namespace

bool IsJobArchive(const std::string& path) {
    struct stat st {};
    const int fd = OpenRegularFile(path, st);
    if (fd < 0) return false;
    char magic[2] = {};
    const bool zip = ::read(fd, magic, sizeof magic) == 2 && magic[0] == 'P' && magic[1] == 'K';
    ::close(fd);
    return zip;
}

Status CopyJobArchive(const std::string& from, const std::string& to, const std::function<bool()>& cancelled) {
    struct stat st {};
    const int in = OpenRegularFile(from, st);
    if (in < 0) return Status::Bad(from + ": " + std::strerror(errno));
    if (SameFile(st, to)) {
        ::close(in);
        return Status::Ok();
    }
    PendingFile out;
    Status s = out.Open(to);
    if (s) s = Copy(in, from, out, to, cancelled);
    ::close(in);
    return s ? out.Commit() : s;
}

}  // namespace kerfel
